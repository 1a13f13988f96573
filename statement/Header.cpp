#include "statement/Header.h"

#include "common/Cp1253.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "entry/TaxNumber.h"
#include "statement/TaxOffices.h"

namespace epinax {

namespace {

std::string_view Slice(std::string_view line, size_t from, size_t width)
{
    if (from - 1 >= line.size()) return {};
    return line.substr(from - 1, width);
}

std::string TrimmedRight(std::string_view text) { return std::string(TrimTrailingBlanks(text)); }
std::string Trimmed(std::string_view text) { return std::string(TrimBlanks(text)); }

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
        {TStatementField::Year, &H::Year, 4, TKeyRule::Digits},
        {TStatementField::FolderNumber, &H::FolderNumber, 6, TKeyRule::Digits},
        {TStatementField::CompanyName, &H::CompanyName, 18, TKeyRule::Any},
        {TStatementField::TaxNumber, &H::TaxNumber, 9, TKeyRule::Digits},
        {TStatementField::Activity, &H::Activity, 16, TKeyRule::Any},
        {TStatementField::Town, &H::Town, 10, TKeyRule::Any},
        {TStatementField::Street, &H::Street, 16, TKeyRule::Any},
        {TStatementField::StreetNumber, &H::StreetNumber, 3, TKeyRule::Any},
        {TStatementField::PostCode, &H::PostCode, 5, TKeyRule::Digits},
        {TStatementField::Phone, &H::Phone, 10, TKeyRule::Digits},
        {TStatementField::Fax, &H::Fax, 10, TKeyRule::Digits},
        {TStatementField::Email, &H::Email, 34, TKeyRule::Any},
        {TStatementField::Installation, &H::Installation, 4, TKeyRule::Installation},
    };
    return edits;
}

const THeaderEdit* FindHeaderEdit(std::string_view name)
{
    for (const auto& edit : HeaderEdits())
        if (name == FieldHandle(edit.control)) return &edit;
    return nullptr;
}

const THeaderEdit* FindHeaderEdit(TStatementField control)
{
    for (const auto& edit : HeaderEdits())
        if (control == edit.control) return &edit;
    return nullptr;
}

std::optional<char> HeaderKeyFilter(TKeyRule keys, char key, std::string_view textSoFar)
{
    switch (keys) {
    case TKeyRule::Digits: return DigitKeyFilter(key);
    case TKeyRule::Installation: return InstallationKeyFilter(key, textSoFar);
    case TKeyRule::Amount: return AmountKeyFilter(key, textSoFar);
    case TKeyRule::None: return std::nullopt;
    case TKeyRule::Any: return key;
    }
    return std::nullopt;
}

bool YearAccepted(std::string_view year, int currentYear)
{
    if (year.empty()) return false;
    auto value = ParseInteger(year);
    return value && *value >= 1900 && *value <= currentYear;
}

namespace {

// How a slice of the header line becomes the text of its edit.
enum class TSliceForm { AsIs, NoTrailingBlanks, NoBlanksRightAligned };

struct THeaderSlice {
    std::string TStatementHeader::*text;
    size_t from;  // 1-based position in the line
    size_t width;
    TSliceForm form;  // NoBlanksRightAligned: read without blanks, written right-aligned
};

constexpr size_t kTaxOfficeFrom = 6, kTaxOfficeWidth = 4;

using H = TStatementHeader;
const THeaderSlice kSlices[] = {
    {&H::Year, 2, 4, TSliceForm::AsIs},
    {&H::FolderNumber, 10, 6, TSliceForm::NoTrailingBlanks},
    {&H::CompanyName, 16, 18, TSliceForm::NoTrailingBlanks},
    {&H::TaxNumber, 34, 9, TSliceForm::AsIs},
    {&H::Activity, 43, 16, TSliceForm::NoTrailingBlanks},
    {&H::Town, 59, 10, TSliceForm::NoTrailingBlanks},
    {&H::Street, 69, 16, TSliceForm::NoTrailingBlanks},
    {&H::StreetNumber, 85, 3, TSliceForm::NoTrailingBlanks},
    {&H::PostCode, 88, 5, TSliceForm::NoTrailingBlanks},
    {&H::Phone, 93, 10, TSliceForm::AsIs},
    {&H::Fax, 103, 10, TSliceForm::AsIs},
    {&H::Email, 113, 34, TSliceForm::NoTrailingBlanks},
    {&H::Installation, 147, 4, TSliceForm::NoBlanksRightAligned},
};

}  // namespace

void FillHeaderFromLine(TStatementHeader& header, std::string_view line)
{
    header.TaxOffice = IndexOfDOYCode(Slice(line, kTaxOfficeFrom, kTaxOfficeWidth));
    for (const auto& slice : kSlices) {
        std::string_view text = Slice(line, slice.from, slice.width);
        header.*slice.text = cp1253::ToUtf8(slice.form == TSliceForm::AsIs               ? std::string(text)
                                            : slice.form == TSliceForm::NoTrailingBlanks ? TrimmedRight(text)
                                                                                         : Trimmed(text));
    }
}

std::string HeaderLine(const TStatementHeader& h)
{
    const auto& codes = DOYCodes();
    std::string code = h.TaxOffice >= 0 && h.TaxOffice < static_cast<int>(codes.size()) ? codes[h.TaxOffice] : "";
    std::string line(150, ' ');
    line[0] = '1';
    line.replace(kTaxOfficeFrom - 1, kTaxOfficeWidth, Field(code, kTaxOfficeWidth));
    for (const auto& slice : kSlices) {
        const std::string text = cp1253::FromUtf8OrThrow(h.*slice.text);
        line.replace(slice.from - 1, slice.width,
                     slice.form == TSliceForm::NoBlanksRightAligned ? RightAligned(text, slice.width)
                                                                    : Field(text, slice.width));
    }
    return line;
}

}  // namespace epinax
