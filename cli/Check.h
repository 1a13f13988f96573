// Every problem of a statement file, each at its line: what Open would
// refuse, what Save As would refuse in the header, what posting each row
// would refuse, and totals lines that disagree with their rows.
#pragma once

#include <string_view>
#include <vector>

#include "common/Date.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

// The problems in line order, messages in Windows-1253; `today` gives the
// current year of the year check. Throws std::runtime_error only when no
// private directory can be made for the statement.
std::vector<TLineProblem> CheckStatement(std::string_view bytes, TDate today);

}  // namespace epinax::cli
