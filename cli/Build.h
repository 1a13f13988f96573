// The build command: a statement made from JSON under the rules the window
// types and posts it by, and written where the user says as Save As writes
// it.
#pragma once

#include <string>

#include "cli/JsonIo.h"

namespace epinax::cli {

// Throws CliError naming what was refused and where; `force` lets an
// existing file be replaced.
void BuildStatement(const TStatementInput& input, const std::string& outPath, bool force);

}  // namespace epinax::cli
