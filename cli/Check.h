// Every problem of a statement file, each at its line: what Open would
// refuse, what Save As would refuse in the header, what posting each row
// would refuse, and totals lines that disagree with their rows.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "common/Date.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

constexpr size_t kProblemsShown = 1000;

struct TCheckOutcome {
    std::vector<TLineProblem> problems;  // the first ones, in line order
    size_t notShown = 0;                 // how many more there are
};

// The first `problemsShown` problems in line order, and the count of the
// rest; `today` gives the current year of
// the year check.
TCheckOutcome CheckStatement(std::string_view bytes, TDate today, size_t problemsShown = kProblemsShown);

}  // namespace epinax::cli
