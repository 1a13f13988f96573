#include "statement/GeneralData.h"

#include <utility>

#include "common/Cp1253.h"
#include "common/Lines.h"
#include "common/Numbers.h"
#include "entry/TaxNumber.h"
#include "statement/Checks.h"
#include "statement/TaxOffices.h"

namespace epinax {

namespace {

const char* const kFirstLine = "[e-PINAX generaldata 1]";

// A typed text may hold any byte but the line ends and the escape itself.
std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

bool SetValue(TGeneralData& data, std::string_view name, std::string value)
{
    if (const THeaderEdit* edit = FindHeaderEdit(name)) {
        data.header.*(edit->text) = cp1253::ToUtf8(value);
    } else if (name == "ComboBox1") {
        auto index = ParseInteger(value);
        if (!index || *index < -1 || *index >= static_cast<int>(DOYCodes().size())) return false;
        data.header.TaxOffice = *index;
    } else if (name == "Credit") {
        if (value != "0" && value != "1") return false;
        data.header.Credit = value == "1";
    } else if (name == "EditPub1") {
        data.customerPublicValue = std::move(value);
    } else if (name == "EditPub2") {
        data.supplierPublicValue = std::move(value);
    }
    // A name of a later version is passed over.
    return true;
}

// Typed key by key: backspace and tab edit the text rather than enter it,
// and a key the filter changes is not the value's own.
bool ValueAsTyped(const THeaderEdit& edit, std::string_view value)
{
    if (edit.keys == TKeyRule::Digits) value = value.substr(0, value.find_last_not_of(' ') + 1);
    for (char key : value)
        if (key == kBackspace || key == kTab || IsControlCharacter(key)) return false;
    auto filter = [&](char key, std::string_view textSoFar) { return HeaderKeyFilter(edit.keys, key, textSoFar); };
    TTypedValue typed = TypeValue(value, static_cast<size_t>(edit.maxLength), filter);
    return typed.Accepted() && typed.text == value;
}

}  // namespace

bool HeaderAsTyped(const TStatementHeader& header)
{
    for (const THeaderEdit& edit : HeaderEdits()) {
        auto typed = cp1253::FromUtf8(header.*(edit.text));
        if (!typed || !ValueAsTyped(edit, *typed)) return false;
    }
    return true;
}

std::string GeneralDataText(const TGeneralData& data)
{
    std::string text = std::string(kFirstLine) + "\r\n";
    auto line = [&](std::string_view name, std::string_view value) {
        text.append(name).append("=").append(Escaped(value)).append("\r\n");
    };
    for (const THeaderEdit& edit : HeaderEdits()) line(edit.Name(), cp1253::FromUtf8OrThrow(data.header.*(edit.text)));
    line("ComboBox1", std::to_string(data.header.TaxOffice));
    line("Credit", data.header.Credit ? "1" : "0");
    line("EditPub1", data.customerPublicValue);
    line("EditPub2", data.supplierPublicValue);
    return text;
}

std::optional<TGeneralData> ParseGeneralData(std::string_view text)
{
    TGeneralData data;
    if (text.empty()) return data;
    if (text.substr(0, text.find_first_of("\r\n")) != kFirstLine) {
        std::string_view first = text.substr(0, text.find_first_of("\r\n"));
        try {
            FillHeaderFromLine(data.header, first);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        return data;
    }
    bool sound = true;
    bool firstLine = true;
    ForEachLine(text, [&](std::string_view line) {
        if (std::exchange(firstLine, false) || line.empty() || !sound) return;
        size_t equals = line.find('=');
        auto value = equals == std::string_view::npos ? std::nullopt : Unescaped(line.substr(equals + 1));
        sound = value && SetValue(data, line.substr(0, equals), std::move(*value));
    });
    if (!sound) return std::nullopt;
    return data;
}

}  // namespace epinax
