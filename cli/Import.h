// The import command: a statement file opened as Open does, the rows of a
// workbook imported into one of its lists as the menu command imports them,
// and the statement saved as Save As saves it.
#pragma once

#include <optional>
#include <string>

#include "common/Date.h"
#include "entry/Counterparty.h"

namespace epinax::cli {

// Throws CliError: refused (1) with the import's or Save As's messages, one a
// line; bad usage (2) when a file, the workbook included, cannot be read or
// written. Nothing is written unless every row of the workbook went in.
void ImportIntoStatement(const std::string& statementPath, const std::string& workbookPath, TSide side,
                         const std::string& outPath, bool force, std::optional<TDate> date);

}  // namespace epinax::cli
