// The build command: a statement typed into the program from JSON, as a
// user would type it, and saved where the user says.
#pragma once

#include <string>

#include "cli/JsonIo.h"

namespace epinax::cli {

// Throws CliError naming what was refused and where; `force` answers Yes to
// replacing an existing file.
void BuildStatement(const TStatementInput& input, const std::string& outPath, bool force);

}  // namespace epinax::cli
