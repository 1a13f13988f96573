// After every post and delete: the list's working files, its row count
// and its totals.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/Numbers.h"
#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

// The totals of a list: its invoice counts and its values, added up exactly.
struct TListTotals {
    Decimal invoices, value;

    // As the totals edits show them: the count in the general form, the
    // value with two decimals.
    std::string InvoicesText() const { return invoices.ToGeneral(); }
    std::string ValueText() const { return value.ToFixed2(); }
    friend bool operator==(const TListTotals&, const TListTotals&) = default;
};

// One row changed by a post or a delete: its stored text before (nothing for
// a new row) and after (nothing for a deleted one).
struct TRowChange {
    std::optional<std::string_view> before, after;
};

// A list's totals as they are kept in step with the list.
struct TListSum {
    TListTotals totals;
    // Every row holds its numbers in the plain forms the program writes: an
    // invoice count of digits, a value of digits with at most two decimals.
    // Such a list always adds up, so a change of one row is counted alone.
    bool countable = true;

    // Counts the change of one row; false, with nothing changed, when a row
    // holds a number in another form. The whole list is then summed again,
    // which fails where it always has.
    bool Change(const TRowChange& change);
};

// Sums every row. Throws EConvertError when a stored invoice count or value
// is no number, or std::overflow_error when the sum is out of range;
// `failedAt` then names the record.
TListSum SumList(int count, const std::function<std::string_view(int)>& recordAt, int* failedAt = nullptr);
// The same over the rows stored in a list.
TListSum SumList(const TFixedFormatDataSet& list);

// Writes the list to its working file and makes the scratch file its copy.
void RewriteListFiles(TFixedFormatDataSet& list, const std::string& workingFile, const std::string& scratchFile);

// "12 Εγγραφές (Πελάτες)".
std::string CountLabel(TSide side, int count);

// A public-sector value as it is kept: every number keeps its value in the
// form "0.##"; a text that is no number gives "0".
std::string NormalisedPublicValue(const std::string& text);

}  // namespace epinax
