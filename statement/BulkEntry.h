// Many rows posted into one list in a row (the import). After every post the
// statement rewrites both working files of the list, and the check for a
// repeated tax number reads every row: a long list would take quadratic time.
// Nothing in the posting of the next row reads those files or totals, so the
// refresh is held back while the rows go in, and the statement keeps an index
// of the tax numbers meanwhile. The caller refreshes the list once afterwards,
// whatever ended the entry, so that the working files and totals hold every
// row posted.
#pragma once

#include <utility>

#include "statement/Statement.h"

namespace epinax {

class TBulkEntry {
public:
    TBulkEntry(TStatement& statement, TSide side)
        : statement_(statement), side_(side), afterPost_(std::exchange(statement.List(side).AfterPost, nullptr))
    {
        statement.BeginBulkEntry(side);
    }
    ~TBulkEntry()
    {
        statement_.EndBulkEntry(side_);
        statement_.List(side_).AfterPost = std::move(afterPost_);
    }
    TBulkEntry(const TBulkEntry&) = delete;
    TBulkEntry& operator=(const TBulkEntry&) = delete;

private:
    TStatement& statement_;
    TSide side_;
    TDataSetNotifyEvent afterPost_;
};

}  // namespace epinax
