// What the main window shows of a statement, as texts: enough for a test to
// see that an operation changed nothing on screen, or what it changed.
#pragma once

#include <string>
#include <vector>

#include "statement/Statement.h"

namespace epinax::test {

inline std::vector<std::string> ShownState(const TStatement& statement)
{
    std::vector<std::string> shown{HeaderLine(statement.Header()), statement.Header().Credit ? "credit" : "debit"};
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        shown.push_back(statement.CountText(side));
        shown.push_back(statement.InvoiceTotalText(side));
        shown.push_back(statement.ValueTotalText(side));
        shown.push_back(statement.PublicValue(side));
    }
    return shown;
}

}  // namespace epinax::test
