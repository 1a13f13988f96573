// What the workbook readers share: the block they fill, their messages and
// the conversions every format needs. Not for use outside import/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/Workbook.h"

namespace epinax::workbook {

// Excel's own limit on the text of one cell.
inline constexpr std::size_t kMaxCellText = 32767;
// All texts of a block together: enough for every row a list holds, and a
// guard against a file that would fill the memory with copies of one text.
inline constexpr std::size_t kMaxBlockText = 64u << 20;

// The first sheet read in this process, the reader picked as ReadFirstSheet
// picks it; only the helper program that ReadFirstSheet starts calls it.
TSheetBlock ReadFirstSheetHere(const std::string& path);
// The same for a chosen sheet, and the list of the sheets' names.
TSheetBlock ReadSheetHere(const std::string& path, const TSheetChoice& sheet);
std::vector<std::string> SheetNamesHere(const std::string& path);

// The index from 0 of the chosen sheet among `names`, or the refusal naming it.
std::size_t ChosenSheet(const std::vector<std::string>& names, const TSheetChoice& sheet);
// A sheet's name as a reader finds it, in UTF-8; bytes that are no UTF-8 become "?".
std::string SheetName(std::string_view utf8);

// Collects cells in any order and makes the block from A1 to the last used
// cell. Only the stored columns take memory; the limits of TSheetBlock are
// enforced as cells arrive, so a hostile file is refused before it costs.
class TBlockBuilder {
public:
    explicit TBlockBuilder(const TSheetChoice& sheet = {})
        : kept_(sheet.keptColumns), first_(sheet.name.empty() && sheet.position == 1)
    {
    }
    // Whether a cell of this column is kept: an error value elsewhere is no concern.
    bool Keeps(std::int64_t column) const { return column < kept_; }
    // Puts `cell` in `repeat` neighbouring columns of one row, from 0.
    void Set(std::int64_t row, std::int64_t column, const TCell& cell, std::int64_t repeat = 1);
    // Copies the stored cells of `row` to the `count` rows below it.
    void RepeatRow(std::int64_t row, std::int64_t count);
    TSheetBlock Finish();

private:
    void Grow(std::int64_t rows);

    std::int64_t kept_;
    bool first_;                // the first sheet, as the messages name it
    std::vector<TCell> cells_;  // kept_ per row
    std::int64_t storedRows_ = 0;
    std::int64_t lastRow_ = -1;
    std::int64_t lastColumn_ = -1;
    std::size_t textBytes_ = 0;
};

// Throws the cannot-open message when `path` is no regular file that can be
// read, so that every reader explains that failure the same way.
void EnsureReadable(const std::string& path);

// Messages of the readers.
[[noreturn]] void ThrowCannotOpen(const std::string& path, int systemError);
[[noreturn]] void ThrowNotWorkbook(const std::string& path, std::string_view kind);
[[noreturn]] void ThrowTooLarge(const std::string& path);
[[noreturn]] void ThrowPasswordProtected(const std::string& path);
[[noreturn]] void ThrowUnsupportedCharacter(std::int64_t row, std::int64_t column, std::string_view utf8Text);
[[noreturn]] void ThrowDamagedCell(std::int64_t row, std::int64_t column);
[[noreturn]] void ThrowErrorValue(std::int64_t row, std::int64_t column, std::string_view shown);
[[noreturn]] void ThrowFormulaWithoutValue(std::int64_t row, std::int64_t column);
[[noreturn]] void ThrowTextTooLong(std::int64_t row, std::int64_t column);

// A cell's UTF-8 text in Windows-1253, or the refusal naming the cell.
TCell TextCell(std::int64_t row, std::int64_t column, std::string_view utf8Text);

// A number written the XML way ("-1.5E3"): the whole text, no blanks.
std::optional<double> ParseXmlNumber(std::string_view text);
// A date "YYYY-MM-DD", optionally followed by "THH:MM:SS[.fff]" or
// " HH:MM:SS", as Excel's serial number (1900 date system). A time alone
// "HH:MM:SS" is the fraction of a day.
std::optional<double> DateSerial(std::string_view text);

}  // namespace epinax::workbook
