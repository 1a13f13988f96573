// The export command: a statement file opened as Open does, and one or both
// of its lists written as a spreadsheet (.xlsx, .ods, .csv).
#pragma once

#include <string>
#include <vector>

#include "entry/Counterparty.h"
#include "outputs/ListWorkbook.h"

namespace epinax::cli {

// Writes the lists `sides` of the statement file `path`, in that order, to
// `output` in `format`, replacing any file there whole. Throws CliError:
// refused with Open's message when Open refuses the file; bad usage when a
// file cannot be read or written.
void ExportStatementLists(const std::string& path, const std::vector<TSide>& sides, TWorkbookFormat format,
                          const std::string& output);

}  // namespace epinax::cli
