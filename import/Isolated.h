// Reading a workbook in a child process: a reader library that crashes or
// hangs on a damaged file takes only the child with it, and the program says
// the file cannot be read.
#pragma once

#include <functional>
#include <string>

#include "import/Workbook.h"

namespace epinax {

// Runs `read(path)` in a child process and hands back its block, or its
// EWorkbookError. A child that dies, or takes longer than `seconds`, gives an
// EWorkbookError with the unreadable-file message.
TSheetBlock ReadInChildProcess(const std::function<TSheetBlock(const std::string&)>& read, const std::string& path,
                               int seconds = 60);

}  // namespace epinax
