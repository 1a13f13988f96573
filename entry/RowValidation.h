// The gate every counterparty row passes when it is posted: the row's own
// rules, the business's own tax number, and a tax number already in the list.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

// The tax numbers, trimmed, of the first rows of a list: kept while rows are
// appended by the thousand (an import, the command-line build), so that each
// post finds a repeated number without reading every row.
class TAfmIndex {
public:
    // Whether `afm` is among the list's stored rows. Only appends may happen
    // between two calls; the rows posted since the last call are taken in.
    bool Contains(const TFixedFormatDataSet& list, const std::string& afm);

private:
    std::unordered_set<std::string> afms_;
    int rowsIndexed_ = 0;
};

// Whether a stored row of the list has `afm` (the pending row is not stored).
bool ListHasAfm(const TFixedFormatDataSet& list, const std::string& afm);

struct TPostedRow {
    std::string ownAfm;          // the header's tax number
    bool isNew = false;          // a new row: a repeated tax number is refused
    TAfmIndex* index = nullptr;  // during a bulk entry
};

// Checks the pending row of `list` as it is posted, and makes it ready to
// store: FILLER and RecordType filled, Value in the form "0.##". The refusal,
// with the grid column of the field it names, when the row may not be stored
// (its fields then are as they were, but for FILLER and RecordType). A value
// or invoice count that is no number throws EConvertError.
std::optional<TRowRefusal> ValidatePostedRow(TFixedFormatDataSet& list, TSide side, const TPostedRow& row);

}  // namespace epinax
