// The import command: a statement file opened as Open does, the rows of a
// workbook imported into one of its lists as the menu command imports them,
// and the statement saved as Save As saves it.
#pragma once

#include <optional>
#include <string>

#include "common/Date.h"
#include "entry/Counterparty.h"
#include "import/Layout.h"

namespace epinax::cli {

// Throws CliError: refused (1) with the import's or Save As's messages, one a
// line, then every refused row with its row and column; bad usage (2) when a
// file, the workbook included, cannot be read or written. Nothing is written
// unless every row of the workbook went in. Without a layout the first
// sheet's columns A to J are read, with no heading row.
void ImportIntoStatement(const std::string& statementPath, const std::string& workbookPath, TSide side,
                         const std::string& outPath, bool force, std::optional<TDate> date,
                         const std::optional<TImportLayout>& layout = std::nullopt);

// The layout that the options --sheet NAME|N, --header-rows N and --columns
// KEY=COL,... give (UTF-8 as typed), or nothing when none is given. A field
// left out of --columns is empty; without --columns every field is in its
// usual column. Throws CliError (2) with what is wrong with a value.
std::optional<TImportLayout> ImportLayoutFromOptions(const std::optional<std::string>& sheet,
                                                     const std::optional<std::string>& headerRows,
                                                     const std::optional<std::string>& columns);

}  // namespace epinax::cli
