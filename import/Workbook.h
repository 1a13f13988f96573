// Workbook readers: the cells of a workbook's first worksheet, as the import
// of counterparties reads them. Four kinds of file are read: Excel 97-2003
// (.xls), Excel 2007 and later (.xlsx), OpenDocument (.ods) and text with
// separated values (.csv). Cell texts are Windows-1253 bytes, as the lists
// hold them; sheet names and messages are UTF-8.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace epinax {

// The file could not be opened, is no workbook, or holds a cell that cannot be
// read faithfully. The message is Greek and meant for the user.
class EWorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The user stopped the reading (the progress window's "Διακοπή"): there is
// nothing to tell, the import simply does not happen.
class EWorkbookReadingStopped : public std::runtime_error {
public:
    EWorkbookReadingStopped() : std::runtime_error("reading stopped") {}
};

struct TCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    std::string text;   // Windows-1253; only for Text
    double number = 0;  // only for Number; booleans are 1 and 0, dates their serial number

    static TCell Text(std::string text) { return {Kind::Text, std::move(text), 0}; }
    static TCell Number(double number) { return {Kind::Number, {}, number}; }
    bool IsEmpty() const { return kind == Kind::Empty; }
    friend bool operator==(const TCell&, const TCell&) = default;
};

// The first worksheet's cells from A1 to its last used cell (the last row and
// the last column that hold a value; formatting alone does not count). An
// empty worksheet gives an empty block.
struct TSheetBlock {
    // A list holds at most 99999 rows, so a longer sheet can never be imported.
    static constexpr int kMaxRows = 99999;
    // The widest sheet a spreadsheet program makes (column XFD).
    static constexpr int kMaxColumns = 16384;
    // The import reads columns A to J; only the first 16 columns are kept, so
    // a wide sheet costs no memory. `columns` is still the sheet's real width.
    static constexpr int kStoredColumns = 16;
    // A chosen layout may take its fields from further right, up to column BL.
    static constexpr int kMaxKeptColumns = 64;

    int rows = 0;
    int columns = 0;
    int keptColumns = kStoredColumns;  // how many columns from A a reader keeps
    std::vector<TCell> cells;          // rows x StoredColumns(), row-major

    int StoredColumns() const { return columns < keptColumns ? columns : keptColumns; }
    // Row and column from 0. Throws std::out_of_range outside the block; a
    // column inside the block but past the stored ones reads as empty.
    const TCell& At(int row, int column) const;
};

// Which worksheet a reader reads, and how many of its columns it keeps.
struct TSheetChoice {
    std::string name;                               // the sheet of this name (exact), when not empty
    int position = 1;                               // otherwise the sheet at this position, from 1
    int keptColumns = TSheetBlock::kStoredColumns;  // from 1 to kMaxKeptColumns
    friend bool operator==(const TSheetChoice&, const TSheetChoice&) = default;
};

// Picks the reader by the file's extension, in any letter case; a file with
// another extension is read when its content shows an .xls, .xlsx or .ods
// workbook, and refused otherwise. The reading happens in a confined helper
// program (import/Isolated.h), so that no damaged or hostile file can harm or
// freeze the program. Throws EWorkbookError.
//
// An object rather than two functions, so that it can still be handed on
// where a reader of one path is wanted.
struct TReadFirstSheet {
    TSheetBlock operator()(const std::string& path) const;
    // `keepReading` is asked at once and then about every 100 ms while the
    // file is read (a progress window); when it says no, the reading ends and
    // EWorkbookReadingStopped is thrown.
    TSheetBlock operator()(const std::string& path, const std::function<bool()>& keepReading) const;
};
inline constexpr TReadFirstSheet ReadFirstSheet{};

// The chosen sheet, read in the confined helper as ReadFirstSheet reads the
// first; a sheet the workbook does not have is an EWorkbookError.
TSheetBlock ReadSheet(const std::string& path, const TSheetChoice& sheet, const std::function<bool()>& keepReading);
// The names of the workbook's sheets in their order, read in the confined helper. A
// .csv file is one sheet named after the file.
std::vector<std::string> ReadSheetNames(const std::string& path);

// The readers themselves, whatever the file's name, in this process.
//  .xls: a formula cell gives the value its writer stored with it; one
//        without a stored value is refused.
//  .ods: several paragraphs of one cell are joined by a line break (LF), as a
//        line break inside an Excel cell; covered cells of a merged area are
//        empty, as Excel keeps only the first cell of the area.
//  .csv: every cell is text, an empty field an empty cell. The separator is
//        ';' when the first record has one outside quotes, ',' otherwise. The
//        bytes are UTF-8 when they are valid UTF-8 (a byte order mark may
//        lead), Windows-1253 otherwise.
TSheetBlock ReadXls(const std::string& path, const TSheetChoice& sheet = {});
TSheetBlock ReadXlsx(const std::string& path, const TSheetChoice& sheet = {});
TSheetBlock ReadOds(const std::string& path, const TSheetChoice& sheet = {});
TSheetBlock ReadCsv(const std::string& path, const TSheetChoice& sheet = {});
std::vector<std::string> XlsSheetNames(const std::string& path);
std::vector<std::string> XlsxSheetNames(const std::string& path);
std::vector<std::string> OdsSheetNames(const std::string& path);
std::vector<std::string> CsvSheetNames(const std::string& path);

// The name of a cell in messages, "B7", from a row and a column counted from 0.
std::string CellName(int row, int column);

}  // namespace epinax
