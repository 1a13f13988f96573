#include "statement/Header.h"

#include "common/Numbers.h"
#include "statement/TaxOffices.h"

namespace epinax {

namespace {

std::string_view Slice(std::string_view line, size_t from, size_t width)
{
    if (from - 1 >= line.size()) return {};
    return line.substr(from - 1, width);
}

std::string TrimRight(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

std::string Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return TrimRight(text);
}

// Left-aligned and blank-filled, or cut, to exactly `width`.
std::string Field(std::string_view text, size_t width)
{
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

std::string RightAligned(std::string_view text, size_t width)
{
    text = text.substr(0, width);
    return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace

const std::vector<THeaderEdit>& HeaderEdits()
{
    using H = TStatementHeader;
    static const std::vector<THeaderEdit> edits = {
        {"YearOfData", &H::YearOfData, 4, TKeyRule::Digits},
        {"Edit1", &H::Edit1, 6, TKeyRule::Digits},
        {"CompanyName", &H::CompanyName, 18, TKeyRule::Any},
        {"AFM", &H::AFM, 9, TKeyRule::Digits},
        {"AntikeimenoErgasion", &H::AntikeimenoErgasion, 16, TKeyRule::Any},
        {"Town", &H::Town, 10, TKeyRule::Any},
        {"Street", &H::Street, 16, TKeyRule::Any},
        {"Number", &H::Number, 3, TKeyRule::Any},
        {"TK", &H::TK, 5, TKeyRule::Digits},
        {"Tel", &H::Tel, 10, TKeyRule::Digits},
        {"Fax", &H::Fax, 10, TKeyRule::Digits},
        {"email", &H::email, 34, TKeyRule::Any},
        {"Egatastash", &H::Egatastash, 4, TKeyRule::Installation},
    };
    return edits;
}

const THeaderEdit* FindHeaderEdit(std::string_view name)
{
    for (const auto& edit : HeaderEdits())
        if (name == edit.name) return &edit;
    return nullptr;
}

bool YearAccepted(std::string_view year, int currentYear)
{
    if (year.empty()) return false;
    auto value = ParseInteger(year);
    return value && *value >= 1900 && *value <= currentYear;
}

void FillHeaderFromLine(TStatementHeader& header, std::string_view line)
{
    header.YearOfData = std::string(Slice(line, 2, 4));
    header.ComboBox1 = IndexOfDOYCode(Slice(line, 6, 4));
    header.Edit1 = TrimRight(Slice(line, 10, 6));
    header.CompanyName = TrimRight(Slice(line, 16, 18));
    header.AFM = std::string(Slice(line, 34, 9));
    header.AntikeimenoErgasion = TrimRight(Slice(line, 43, 16));
    header.Town = TrimRight(Slice(line, 59, 10));
    header.Street = TrimRight(Slice(line, 69, 16));
    header.Number = TrimRight(Slice(line, 85, 3));
    header.TK = TrimRight(Slice(line, 88, 5));
    header.Tel = std::string(Slice(line, 93, 10));
    header.Fax = std::string(Slice(line, 103, 10));
    header.email = TrimRight(Slice(line, 113, 34));
    header.Egatastash = Trim(Slice(line, 147, 4));
}

std::string HeaderLine(const TStatementHeader& h)
{
    const auto& codes = DOYCodes();
    std::string code = h.ComboBox1 >= 0 && h.ComboBox1 < static_cast<int>(codes.size()) ? codes[h.ComboBox1] : "";
    std::string line = "1";
    line += Field(h.YearOfData, 4);
    line += Field(code, 4);
    line += Field(h.Edit1, 6);
    line += Field(h.CompanyName, 18);
    line += Field(h.AFM, 9);
    line += Field(h.AntikeimenoErgasion, 16);
    line += Field(h.Town, 10);
    line += Field(h.Street, 16);
    line += Field(h.Number, 3);
    line += Field(h.TK, 5);
    line += Field(h.Tel, 10);
    line += Field(h.Fax, 10);
    line += Field(h.email, 34);
    line += RightAligned(h.Egatastash, 4);
    return line;
}

}  // namespace epinax
