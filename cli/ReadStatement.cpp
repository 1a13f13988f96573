#include "cli/ReadStatement.h"

#include "cli/CliError.h"
#include "common/Cp1253.h"

namespace epinax::cli {

namespace {

void OpenWithRecords(TFixedFormatDataSet& list, std::string records)
{
    list.SetSchema(CounterpartySchema());
    list.OpenWithText(std::move(records));
}

}  // namespace

TReadStatement::TReadStatement(TStatementContents contents) : contents_(std::move(contents))
{
    if (!contents_.headerLines.empty()) FillHeaderFromLine(header_, contents_.headerLines.front());
    header_.Credit = contents_.credit;
    OpenWithRecords(customers_, std::move(contents_.customers));
    OpenWithRecords(suppliers_, std::move(contents_.suppliers));
}

const std::string& TReadStatement::PublicValue(TSide side) const
{
    return side == TSide::Customers ? contents_.customerPublicValue : contents_.supplierPublicValue;
}

const TListTotals& TReadStatement::Totals(TSide side) const
{
    return (side == TSide::Customers ? contents_.customerSum : contents_.supplierSum).totals;
}

std::unique_ptr<TReadStatement> ReadStatementOrRefuse(std::string_view bytes)
{
    TReadOutcome outcome = ReadStatement(bytes);
    if (outcome.problem) throw CliError(kExitRefused, outcome.problem->message);
    return std::make_unique<TReadStatement>(std::move(*outcome.contents));
}

}  // namespace epinax::cli
