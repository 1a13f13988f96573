#include "import/Layout.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/Cp1253.h"
#include "common/Numbers.h"
#include "entry/TaxNumber.h"
#include "import/Import.h"

namespace epinax {

namespace {

// A heading as it is compared: capitals without accents, letters and digits
// only, and the Latin letters that look like Greek capitals made Greek, so
// that "A.F.M.", "Α.Φ.Μ." and "αφμ" all read "ΑΦΜ".
std::u32string Folded(std::string_view cp1253Text)
{
    static const std::u32string_view kAccented = U"ΆΈΉΊΌΎΏάέήίόύώϊϋΐΰΪΫς";
    static const std::u32string_view kPlain = U"ΑΕΗΙΟΥΩαεηιουωιυιυΙΥσ";
    static const std::u32string_view kLatin = U"ABEHIKMNOPTXYZ";
    static const std::u32string_view kGreek = U"ΑΒΕΗΙΚΜΝΟΡΤΧΥΖ";
    std::u32string out;
    for (char byte : cp1253Text) {
        char32_t c = cp1253::ToUnicode(static_cast<unsigned char>(byte));
        if (const std::size_t at = kAccented.find(c); at != std::u32string_view::npos) c = kPlain[at];
        if ((c >= U'a' && c <= U'z') || (c >= U'α' && c <= U'ω')) c -= 0x20;
        if (const std::size_t at = kLatin.find(c); at != std::u32string_view::npos) c = kGreek[at];
        const bool kept = (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || (c >= U'Α' && c <= U'Ω');
        if (kept) out += c;
    }
    return out;
}

std::u32string FoldedUtf8(std::string_view utf8) { return Folded(cp1253::FromUtf8OrThrow(utf8)); }

struct THeadingRule {
    TImportField field;
    bool whole;  // the whole heading, else a part of it
    const char* words;
};

// In this order: "Αριθμός τιμολογίων" is the invoices', not the street
// number's; "ΑΦΜ πελάτη" the tax number's, not the name's.
constexpr THeadingRule kHeadingRules[] = {
    {TImportField::Invoices, false, "ΤΙΜΟΛ"},
    {TImportField::Invoices, false, "ΠΑΡΑΣΤΑΤ"},
    {TImportField::Invoices, false, "ΠΛΗΘΟΣ"},
    {TImportField::Invoices, false, "INVOICE"},
    {TImportField::Value, false, "ΑΞΙΑ"},
    {TImportField::Value, false, "ΠΟΣΟ"},
    {TImportField::Value, false, "ΣΥΝΟΛ"},
    {TImportField::Value, false, "ΚΑΘΑΡ"},
    {TImportField::Value, false, "AMOUNT"},
    {TImportField::Value, false, "VALUE"},
    {TImportField::Afm, false, "ΑΦΜ"},
    {TImportField::Afm, false, "AFM"},
    {TImportField::Afm, false, "VAT"},
    {TImportField::Afm, false, "ΦΟΡΟΛΟΓ"},
    {TImportField::Obliged, false, "ΥΠΟΧΡ"},
    {TImportField::Obliged, false, "ΥΠΟΒΟΛ"},
    {TImportField::PostCode, true, "ΤΚ"},
    {TImportField::PostCode, false, "ΤΑΧΚ"},
    {TImportField::PostCode, false, "ΤΑΧΥΔΡ"},
    {TImportField::PostCode, false, "POSTCODE"},
    {TImportField::PostCode, false, "ZIP"},
    {TImportField::Profession, false, "ΕΠΑΓΓ"},
    {TImportField::Profession, false, "ΔΡΑΣΤΗΡ"},
    {TImportField::Profession, false, "ΑΝΤΙΚΕΙΜ"},
    {TImportField::Name, false, "ΕΠΩΝ"},
    {TImportField::Name, false, "ΟΝΟΜ"},
    {TImportField::Name, false, "ΠΕΛΑΤ"},
    {TImportField::Name, false, "ΠΡΟΜΗΘ"},
    {TImportField::Name, false, "ΑΝΤΙΣΥΜΒ"},
    {TImportField::Name, false, "NAME"},
    {TImportField::City, false, "ΠΟΛΗ"},
    {TImportField::City, false, "ΠΕΡΙΟΧ"},
    {TImportField::City, false, "CITY"},
    {TImportField::Street, false, "ΟΔΟΣ"},
    {TImportField::Street, false, "ΔΙΕΥΘ"},
    {TImportField::Street, false, "STREET"},
    {TImportField::Number, true, "ΑΡ"},
    {TImportField::Number, true, "ΑΡΙΘ"},
    {TImportField::Number, true, "ΑΡΙΘΜ"},
    {TImportField::Number, true, "ΑΡΙΘΜΟΣ"},
    {TImportField::Number, true, "ΝΟ"},
    {TImportField::Number, false, "ΑΡΙΘΜΟΣΟΔ"},
};

std::optional<TImportField> FieldOfHeading(const TCell& cell)
{
    if (cell.kind != TCell::Kind::Text) return std::nullopt;
    const std::u32string heading = Folded(cell.text);
    if (heading.empty()) return std::nullopt;
    for (const THeadingRule& rule : kHeadingRules) {
        const std::u32string words = FoldedUtf8(rule.words);
        if (rule.whole ? heading == words : heading.find(words) != std::u32string::npos) return rule.field;
    }
    return std::nullopt;
}

// An amount as a Greek spreadsheet shows it, "1.234,50" or "-12.000": the
// same without its thousands separators; any other text as it is.
std::string WithoutThousands(const std::string& text)
{
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    const std::size_t comma = std::min(text.find(','), text.size());
    const std::size_t firstDot = text.find('.', start);
    if (firstDot == std::string::npos || firstDot > comma || firstDot == start || firstDot - start > 3) return text;
    std::string plain = text.substr(0, firstDot);
    for (std::size_t at = firstDot; at < comma; at += 4) {
        if (text[at] != '.' || at + 4 > comma) return text;
        const std::string_view group = std::string_view(text).substr(at + 1, 3);
        if (group.find_first_not_of("0123456789") != std::string_view::npos) return text;
        plain += group;
    }
    return plain + text.substr(comma);
}

bool ReadsAsNumber(const TCell& cell)
{
    if (cell.kind == TCell::Kind::Number) return true;
    return cell.kind == TCell::Kind::Text && Decimal::Parse(WithoutThousands(cell.text));
}

// At most this many rows at the top are taken for headings: a sheet whose
// first rows are all text is no list with headings.
constexpr int kMaxHeadingRows = 5;

int HeadingRows(const TSheetBlock& sheet)
{
    int rows = 0;
    while (rows < std::min(kMaxHeadingRows, sheet.rows - 1)) {
        bool number = false, text = false;
        for (int column = 0; column < sheet.StoredColumns(); ++column) {
            number = number || ReadsAsNumber(sheet.At(rows, column));
            text = text || sheet.At(rows, column).kind == TCell::Kind::Text;
        }
        if (number || !text) break;
        ++rows;
    }
    return rows;
}

bool IsUsed(const TImportLayout& layout, int column)
{
    return std::find(layout.columns.begin(), layout.columns.end(), column) != layout.columns.end();
}

// The lowest heading row names a column most closely ("ΑΦΜ" under a merged
// "Στοιχεία πελάτη"), so the rows are read from the bottom up.
void MatchHeadings(const TSheetBlock& sheet, TImportLayout& layout)
{
    for (int row = layout.headingRows - 1; row >= 0; --row)
        for (int column = 0; column < sheet.StoredColumns(); ++column) {
            const auto field = FieldOfHeading(sheet.At(row, column));
            if (field && layout.Column(*field) == TImportLayout::kEmpty && !IsUsed(layout, column))
                layout.Column(*field) = column;
        }
}

// The first column not yet taken whose every data cell is filled and passes `test`.
template <typename Test>
int ColumnWhereAll(const TSheetBlock& sheet, const TImportLayout& layout, Test test)
{
    for (int column = 0; column < sheet.StoredColumns(); ++column) {
        if (IsUsed(layout, column)) continue;
        bool all = sheet.rows > layout.headingRows;
        for (int row = layout.headingRows; all && row < sheet.rows; ++row) all = test(sheet.At(row, column));
        if (all) return column;
    }
    return TImportLayout::kEmpty;
}

void MatchContents(const TSheetBlock& sheet, TImportLayout& layout)
{
    if (layout.Column(TImportField::Afm) == TImportLayout::kEmpty)
        layout.Column(TImportField::Afm) =
            ColumnWhereAll(sheet, layout, [](const TCell& cell) { return CheckAfm(TaxNumberOfCell(cell)); });
    if (layout.Column(TImportField::Obliged) == TImportLayout::kEmpty)
        layout.Column(TImportField::Obliged) = ColumnWhereAll(sheet, layout, [](const TCell& cell) {
            const std::string text = CellText(cell);
            return text == "0" || text == "1";
        });
}

}  // namespace

int TImportLayout::KeptColumns() const
{
    const int widest = *std::max_element(columns.begin(), columns.end()) + 1;
    return std::clamp(widest, TSheetBlock::kStoredColumns, TSheetBlock::kMaxKeptColumns);
}

std::string TImportLayout::SourceName(TImportField field) const
{
    if (field == TImportField::Obliged && obligedConstant) return std::to_string(*obligedConstant);
    const int column = Column(field);
    if (column == kEmpty) return {};
    const std::string cell = CellName(0, column);
    return cell.substr(0, cell.size() - 1);  // without the row's 1
}

// An amount typed as text the way the sheet shows it, "1.234,50", is read
// without its thousands separators; the usual layout takes it as it is.
TSheetBlock ApplyLayout(const TSheetBlock& sheet, const TImportLayout& layout)
{
    TSheetBlock block;
    block.rows = std::max(0, sheet.rows - layout.headingRows);
    block.columns = kImportFields;
    block.cells.reserve(static_cast<std::size_t>(block.rows) * kImportFields);
    for (int row = layout.headingRows; row < sheet.rows; ++row)
        for (int field = 0; field < kImportFields; ++field) {
            const int column = layout.columns[static_cast<std::size_t>(field)];
            if (field == static_cast<int>(TImportField::Obliged) && layout.obligedConstant)
                block.cells.push_back(TCell::Number(*layout.obligedConstant));
            else if (column == TImportLayout::kEmpty || column >= sheet.columns)
                block.cells.emplace_back();
            else if (field == static_cast<int>(TImportField::Value) && sheet.At(row, column).kind == TCell::Kind::Text)
                block.cells.push_back(TCell::Text(WithoutThousands(sheet.At(row, column).text)));
            else
                block.cells.push_back(sheet.At(row, column));
        }
    return block;
}

TImportLayout ProposeLayout(const TSheetBlock& sheet)
{
    TImportLayout layout;
    layout.headingRows = HeadingRows(sheet);
    if (layout.headingRows == 0) return layout;
    layout.columns.fill(TImportLayout::kEmpty);
    MatchHeadings(sheet, layout);
    MatchContents(sheet, layout);
    return layout;
}

std::optional<int> ColumnNumber(const std::string& name)
{
    if (name.empty() || name.size() > 3) return std::nullopt;
    int number = 0;
    for (char c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return std::nullopt;
        number = number * 26 + (c - 'A' + 1);
    }
    if (number > TSheetBlock::kMaxColumns) return std::nullopt;
    return number - 1;
}

}  // namespace epinax
