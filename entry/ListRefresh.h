// After every post and delete: the list's working files, its row count
// and its totals.
#pragma once

#include <functional>
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

// Sums every row. Throws EConvertError when a stored invoice count or value
// is no number, or std::overflow_error when the sum is out of range;
// `failedAt` then names the record.
TListTotals SumListTotals(int count, const std::function<std::string_view(int)>& recordAt, int* failedAt = nullptr);
// The same over the rows stored in a list.
TListTotals ListTotals(const TFixedFormatDataSet& list);

// Writes the list to its working file and makes the scratch file its copy.
void RewriteListFiles(TFixedFormatDataSet& list, const std::string& workingFile, const std::string& scratchFile);

// "12 Εγγραφές (Πελάτες)".
std::string CountLabel(TSide side, int count);

// A public-sector value as it is kept: every number keeps its value in the
// form "0.##"; a text that is no number gives "0".
std::string NormalisedPublicValue(const std::string& text);

}  // namespace epinax
