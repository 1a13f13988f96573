// The report command: a statement file opened as Open does, and the printed
// statement of one of its lists written as the print menu writes it, as
// HTML or as the print window's PDF.
#pragma once

#include <string>

#include "entry/Counterparty.h"
#include "outputs/Print.h"
#include "statement/Statement.h"

namespace epinax::cli {

// Writes the report of the list `side` of the statement file `path` to
// `output`, replacing any file there. Throws CliError: refused with Open's
// message when Open refuses the file, or with the print failure message when
// the amounts cannot be added; bad usage when a file cannot be read or
// written.
void WriteStatementReport(const std::string& path, TSide side, const std::string& output);

// The same list's pages, as the print window shows and saves them, written
// as a PDF file to `output`, replaced whole. Same errors.
void WriteStatementPdf(const std::string& path, TSide side, const std::string& output);

}  // namespace epinax::cli
