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

// The end of an import and what to tell the user, in order (Windows-1253):
// why the workbook was not read, why a row was refused, that nothing went
// in. `beep`: the first message is a refused post's, which comes with a beep.
struct TImportOutcome {
    TImportResult result = TImportResult::Stopped;
    std::vector<std::string> messages;
    bool beep = false;
};

// Imports the workbook at `path` into the list the user chose, through the
// workbook reader `read`; the caller has settled the pending rows. A working
// file that cannot be written ends it with EListNotWritten, the list as its
// working file holds it.
TImportOutcome ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read);

// A cell as the checks read it: empty gives "", a text stays as it is, a
// number gives its shortest decimal form with the Greek comma ("1", "1500,5").
std::string CellText(const TCell& cell);

// The message for the first row that the checking pass refuses, with its row
// number counted from 1; nothing when every row passes.
std::optional<std::string> FirstRowProblem(const TSheetBlock& block, const std::string& ownAfm);

// The messages of the import (Windows-1253). The open failure's second line
// says why the workbook could not be read.
std::string ImportOpenFailureMessage(const std::string& reason);
std::string ImportInsertFailureMessage();

}  // namespace epinax
