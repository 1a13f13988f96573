// Where the rows of an import lie in a workbook: which sheet, how many
// heading rows come first, and the column each of the ten fields of a
// counterparty comes from. Without a layout a workbook is read the usual
// way: the first sheet, no heading row, the fields in columns A to J.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "import/Workbook.h"

namespace epinax {

// The ten fields of a counterparty row, in the order of the usual columns A to J.
enum class TImportField { Afm, Name, Profession, Obliged, City, Street, Number, PostCode, Invoices, Value };
inline constexpr int kImportFields = 10;

struct TImportLayout {
    static constexpr int kEmpty = -1;

    TSheetChoice sheet;
    int headingRows = 0;
    // For each field, in the order of TImportField, its sheet column from 0,
    // or kEmpty: the field stays empty.
    std::array<int, kImportFields> columns{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    // 0 or 1 for every row in place of a column for Υπόχρεος.
    std::optional<int> obligedConstant;

    int& Column(TImportField field) { return columns[static_cast<std::size_t>(field)]; }
    int Column(TImportField field) const { return columns[static_cast<std::size_t>(field)]; }
    // The columns a reader must keep for this layout (sheet.keptColumns is set from it).
    int KeptColumns() const;
    // The sheet column a field comes from, as the sheet names it ("C",
    // "AA"); "0" or "1" for a constant; empty for an empty field.
    std::string SourceName(TImportField field) const;
    friend bool operator==(const TImportLayout&, const TImportLayout&) = default;
};

// The sheet's rows below its heading rows as the ten-column block the import
// checks, in the order of TImportField. Row r of the result is the sheet's
// row r + layout.headingRows + 1 (counted from 1). An amount that is text
// with thousands separators, "1.234,50", is taken as "1234,50".
TSheetBlock ApplyLayout(const TSheetBlock& sheet, const TImportLayout& layout);

// A layout for `sheet` (its sheet choice left as it is): the heading rows at
// the top, found as rows with no number in them (nor a text that reads as
// one), and the fields' columns, matched first by the heading texts ("Α.Φ.Μ.",
// "Επωνυμία", "Ποσό"…, letter case and accents aside), then by content: a
// column of valid tax numbers is ΑΦΜ, one of 0 and 1 only is Υπόχρεος. A
// sheet without heading rows keeps the usual columns A to J.
TImportLayout ProposeLayout(const TSheetBlock& sheet);

// The column from 0 of a column name ("A", "aa"), or nothing for another text.
std::optional<int> ColumnNumber(const std::string& name);

}  // namespace epinax
