#include "statement/StatementCheck.h"

#include <unordered_set>

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"
#include "statement/Checks.h"
#include "statement/Statement.h"
#include "statement/StatementFile.h"

namespace epinax {

namespace {

std::string HeaderFieldCaption(TStatementField control)
{
    switch (control) {
    case TStatementField::Year: return "Έτος";
    case TStatementField::TaxNumber: return "ΑΦΜ";
    case TStatementField::Installation: return "Είδος Εγκατάστασης";
    case TStatementField::TaxOffice: return "ΔΟΥ";
    case TStatementField::CustomerPublicValue:
    case TStatementField::SupplierPublicValue: return "Αξία Δημοσίου";
    default:
        return *HeaderFieldLabel(control) ? std::string(HeaderFieldLabel(control)) : std::string(FieldHandle(control));
    }
}

TStatementProblem HeaderProblem(TStatementField control, std::string message)
{
    TStatementProblem problem;
    problem.control = control;
    problem.field = HeaderFieldCaption(control);
    problem.message = std::move(message);
    return problem;
}

TStatementProblem CellProblem(TSide side, int row, int column, std::string message)
{
    TStatementProblem problem;
    problem.side = side;
    problem.row = row;
    problem.column = column;
    problem.field = GridColumns(side)[static_cast<size_t>(column)].title;
    problem.message = std::move(message);
    return problem;
}

}  // namespace

void HeaderProblems(const TStatementHeader& header, int currentYear, const TProblemSink& sink)
{
    for (THeaderRefusal& refusal : HeaderRefusals(header, currentYear))
        sink(HeaderProblem(refusal.control, std::move(refusal.message)));
}

void ListProblems(const TFixedFormatDataSet& list, TSide side, const std::string& ownAfm, const TProblemSink& sink)
{
    if (!list.Active()) return;
    const TField& afm = list.Field(field::Afm);
    const TField& ypovolh = list.Field(field::Ypovolh);
    const TField& invoices = list.Field(field::NoTimologion);
    const TField& value = list.Field(field::Value);
    std::unordered_set<std::string> seen;
    for (int at = 0; at < list.RecordCount(); ++at) {
        TRowValues row{list.FieldTextAt(at, afm), list.FieldTextAt(at, ypovolh), list.FieldTextAt(at, invoices),
                       list.FieldTextAt(at, value)};
        if (!ownAfm.empty() && row.afm == ownAfm) sink(CellProblem(side, at, kAfmColumn, SameAsOwnAfmMessage()));
        if (!seen.insert(std::string(TrimBlanks(row.afm))).second)
            sink(CellProblem(side, at, kAfmColumn, DuplicateAfmMessage(side, row.afm)));
        try {
            if (auto refusal = RowRuleProblem(side, row))
                sink(CellProblem(side, at, refusal->column, std::move(refusal->message)));
        } catch (const EConvertError& error) {
            sink(CellProblem(side, at, ColumnOfUnreadableNumber(row), error.what()));
        }
    }
}

void PublicValueProblems(const TStatement& statement, const TProblemSink& sink)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        const bool customers = side == TSide::Customers;
        std::string problem;
        if (!TotalsLine(side, statement.PublicValue(side), statement.InvoiceTotalText(side),
                        statement.ValueTotalText(side), problem))
            sink(HeaderProblem(customers ? TStatementField::CustomerPublicValue : TStatementField::SupplierPublicValue,
                               std::move(problem)));
    }
}

TStatementCheck CheckStatementBeingEdited(const TStatement& statement, size_t shown)
{
    TStatementCheck check;
    TProblemSink keep = [&](TStatementProblem&& problem) {
        if (check.problems.size() < shown)
            check.problems.push_back(std::move(problem));
        else
            ++check.notShown;
    };
    HeaderProblems(statement.Header(), statement.Today().year, keep);
    for (TSide side : {TSide::Customers, TSide::Suppliers})
        ListProblems(statement.List(side), side, statement.Header().TaxNumber, keep);
    PublicValueProblems(statement, keep);
    return check;
}

}  // namespace epinax
