// Every problem that keeps a statement from being saved, found at once: the
// header checks of Save As and, for every stored row of both lists, what
// posting it after the rows above it would refuse. The window's check list
// and the command-line check both take their problems from here.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"
#include "statement/Header.h"
#include "statement/StatementFields.h"

namespace epinax {

class TStatement;

struct TStatementProblem {
    // A header field, or else a cell of a list.
    std::optional<TStatementField> control;
    TSide side = TSide::Customers;
    int row = -1;         // 0-based index of the stored row
    int column = -1;      // grid column, in the order of GridColumns
    std::string field;    // the field's caption
    std::string message;  // the program's own message
};

using TProblemSink = std::function<void(TStatementProblem&&)>;

// The header checks of Save As, in the order it makes them.
void HeaderProblems(const TStatementHeader& header, int currentYear, const TProblemSink& sink);

// For each stored row, in list order: the business's own tax number, a tax
// number of an earlier row (compared with blanks trimmed), then the rules of
// the row alone, each where the user would correct it.
void ListProblems(const TFixedFormatDataSet& list, TSide side, const std::string& ownAfm, const TProblemSink& sink);

// A totals line the public-sector value cannot make.
void PublicValueProblems(const TStatement& statement, const TProblemSink& sink);

struct TStatementCheck {
    std::vector<TStatementProblem> problems;  // the first ones: header, customers, suppliers
    size_t notShown = 0;                      // how many more there are
};

// The whole statement being edited, as Save As would judge it, keeping the
// first `shown` problems. The rows pending in the grids are not judged.
TStatementCheck CheckStatementBeingEdited(const TStatement& statement, size_t shown);

}  // namespace epinax
