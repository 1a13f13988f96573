// A statement file read as Open reads it, straight from its bytes: the
// reader's contents, with the two lists in record stores of their own that
// no file backs.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"
#include "statement/Header.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

class TReadStatement {
public:
    // The lists take over the records of `contents`.
    explicit TReadStatement(TStatementContents contents);
    TReadStatement(const TReadStatement&) = delete;
    TReadStatement& operator=(const TReadStatement&) = delete;

    // The file's first header line, and its kind.
    const TStatementHeader& Header() const { return header_; }
    const std::string& PublicValue(TSide side) const;
    const TListTotals& Totals(TSide side) const;
    TFixedFormatDataSet& List(TSide side) { return side == TSide::Customers ? customers_ : suppliers_; }

private:
    TStatementContents contents_;  // all but the records
    TStatementHeader header_;
    TFixedFormatDataSet customers_{"customers"}, suppliers_{"suppliers"};
};

// The statement of `bytes`; throws CliError (refused) with the reader's
// message when Open would refuse them.
std::unique_ptr<TReadStatement> ReadStatementOrRefuse(std::string_view bytes);

}  // namespace epinax::cli
