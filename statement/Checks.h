// The header checks made before a statement is saved.
#pragma once

#include <string>
#include <vector>

#include "statement/Header.h"

namespace epinax {

struct THeaderRefusal {
    std::string message;  // Windows-1253, the whole text the user sees
    TControl control;     // where the focus goes
    bool beep;
};

// Every header check that fails, in the order the save checks make them;
// the save reports the first.
std::vector<THeaderRefusal> HeaderRefusals(const TStatementHeader& header, int currentYear);

}  // namespace epinax
