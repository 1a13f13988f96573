// The import of counterparties from a workbook into one of the two lists: a
// checking pass over every row, a second pass that tries every row as the
// list's post will take it, then an inserting pass through the list's
// ordinary posting. A sheet goes in whole or not at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "entry/Counterparty.h"
#include "import/Layout.h"
#include "import/Workbook.h"

namespace epinax {

class TStatement;

using TWorkbookReader = std::function<TSheetBlock(const std::string& path)>;

// How an import ended; in every case but Imported the list is as before.
enum class TImportResult {
    Imported,    // every row of the sheet went in
    Unreadable,  // the workbook could not be read as rows
    Refused,     // a row was refused
    Stopped,     // the user stopped it
};

// A row the import refuses: its row in the sheet (from 1), the sheet column
// it is to be corrected in ("A", "AA"; empty when the field comes from no
// column) and the message.
struct TRowProblem {
    int row = 0;
    std::string column;
    std::string message;
    friend bool operator==(const TRowProblem&, const TRowProblem&) = default;
};

// Every refused row, in the order of the rows: the first kMaxListed, and
// how many more there are.
struct TRowProblems {
    static constexpr std::size_t kMaxListed = 1000;
    std::vector<TRowProblem> listed;
    std::size_t more = 0;
};

// The end of an import and what to tell the user, in order:
// why the workbook was not read, why a row was refused, that nothing went
// in. `beep`: the first message is a refused post's, which comes with a beep.
// When rows were refused, `problems` lists every one of them.
// `looksLikeHeadings`: the first refused row, the sheet's row 1 or 2, looks
// like a heading row (only text where numbers belong), so that the user may
// be offered to say which rows and columns to import.
struct TImportOutcome {
    TImportResult result = TImportResult::Stopped;
    std::vector<std::string> messages;
    bool beep = false;
    TRowProblems problems;
    bool looksLikeHeadings = false;
};

// Imports the workbook at `path` into the list the user chose, through the
// workbook reader `read`; the caller has posted the pending rows. A working
// file that cannot be written ends it with EListNotWritten, the list as its
// working file holds it.
TImportOutcome ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read);
// The same with the rows where `layout` says; `read` reads the sheet the
// layout names, keeping layout.KeptColumns() columns. Row numbers in the
// messages are the sheet's.
TImportOutcome ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read,
                              const TImportLayout& layout);

// Every row of the ten-column block `block` that the import would refuse, by
// the checking pass and by the row validation of the list's post, tried
// against the list and the rows before it; `layout` names the rows and
// columns. Asks the progress as the import does; a stop ends it early.
TRowProblems AllRowProblems(TStatement& statement, TSide side, const TSheetBlock& block, const TImportLayout& layout);

// A cell as the checks read it: empty gives "", a text stays as it is, a
// number gives its shortest decimal form with the Greek comma ("1", "1500,5").
std::string CellText(const TCell& cell);
// The text of a tax number's cell: the text, with the leading zeros a
// spreadsheet drops from a number given back when that makes a valid number.
std::string TaxNumberOfCell(const TCell& cell);

// The message for the first row that the checking pass refuses, with its row
// number counted from 1; nothing when every row passes.
std::optional<std::string> FirstRowProblem(const TSheetBlock& block, const std::string& ownAfm);

// The messages of the import. The open failure's second line
// says why the workbook could not be read.
std::string ImportOpenFailureMessage(const std::string& reason);
std::string ImportInsertFailureMessage();

}  // namespace epinax
