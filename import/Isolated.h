// Reading a workbook in a helper program of its own (epinax-workbook-reader):
// the reader libraries run there under tight limits, so a damaged or hostile
// file that crashes them, hangs them or fills the memory takes only the
// helper with it, and the program says the file cannot be read.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "import/Workbook.h"

namespace epinax {

// Starts the helper on `path` and hands back its block, or its EWorkbookError.
// A helper that dies, says too much, or takes longer than `seconds`, gives an
// EWorkbookError with the unreadable-file message. `keepReading` is asked
// at once and then about every 100 ms; when it says no, the helper is ended
// and EWorkbookReadingStopped thrown.
TSheetBlock ReadInHelper(const std::string& path, const std::function<bool()>& keepReading, int seconds = 60);
// The same with another helper program, started as `helper path`.
TSheetBlock ReadInHelper(const std::string& helper, const std::string& path, const std::function<bool()>& keepReading,
                         int seconds);

// The same for a chosen sheet, and the names of the workbook's sheets.
TSheetBlock ReadSheetInHelper(const std::string& path, const TSheetChoice& sheet,
                              const std::function<bool()>& keepReading);
std::vector<std::string> SheetNamesInHelper(const std::string& path);

// The helper's side: confines the process (ConfineReader), reads what its
// arguments ask and writes the answer to standard output. Its arguments:
// PATH (the first sheet), or --sheet POSITION NAME KEPT-COLUMNS PATH, or
// --names PATH. Gives the helper's exit status, 2 for other arguments.
int RunWorkbookReader(int argc, const char* const* argv);

// What the helper may no longer do, for the rest of its life: use more than
// a bounded memory, processor time or any file size; gain privileges; open
// sockets; run programs; trace processes; open files for writing; create,
// rename or remove files. Throws std::runtime_error when the system refuses.
void ConfineReader();

}  // namespace epinax
