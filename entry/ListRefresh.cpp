// After every post and delete: the working files, the row count and the
// totals of the list.
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"
#include "statement/Statement.h"

namespace epinax {

void TStatement::RefreshList(TSide side)
{
    SetCountLabel(side);
    TFixedFormatDataSet& list = List(side);
    bool customers = side == TSide::Customers;
    // Written once; the scratch file is then made its copy, which costs no
    // second write (see ReplaceWithCopy).
    list.SaveAs(WorkingFile(customers ? "record2" : "record4"));
    ReplaceWithCopy(list.FileName(), WorkingFile(customers ? "record21" : "record22"));
    UpdateTotals(side);
    Changed();
}

// Amounts in the forms the program writes are summed as whole cents;
// anything else is read the long way, with the same result.
TListTotals SumListTotals(int count, const std::function<std::string_view(int)>& recordAt, int* failedAt)
{
    constexpr size_t invoicesAt = kInvoicesAt, invoicesWidth = kInvoicesWidth, valueAt = kValueAt,
                     valueWidth = kValueWidth;
    auto field = [](std::string_view record, size_t at, size_t width) {
        return at < record.size() ? std::string(TrimTrailingBlanks(record.substr(at, width))) : std::string();
    };
    __int128 plainInvoices = 0, plainCents = 0;
    Decimal otherInvoices, otherValues;
    int i = 0, lastOther = 0;  // a sum out of range is laid at the last number read the long way
    try {
        for (; i < count; ++i) {
            std::string_view record = recordAt(i);
            bool whole = record.size() >= valueAt + valueWidth;
            auto invoices = whole ? PaddedDigits(record.substr(invoicesAt, invoicesWidth)) : std::nullopt;
            auto cents = whole ? PaddedAmountCents(record.substr(valueAt, valueWidth)) : std::nullopt;
            if (!invoices || !cents) lastOther = i;
            if (invoices) plainInvoices += *invoices;
            else otherInvoices += StrToFloat(field(record, invoicesAt, invoicesWidth));
            if (cents) plainCents += *cents;
            else otherValues += StrToFloat(field(record, valueAt, valueWidth));
        }
        i = lastOther;
        Decimal invoiceSum = Decimal::FromCents(plainInvoices * 100) + otherInvoices;
        Decimal valueSum = Decimal::FromCents(plainCents) + otherValues;
        return {invoiceSum.ToGeneral(), valueSum.ToFixed2()};
    } catch (...) {
        if (failedAt) *failedAt = i;
        throw;
    }
}

// The scratch file now holds exactly the list, so the sums are taken from the
// list in memory rather than read back from the file.
void TStatement::UpdateTotals(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    TListTotals totals = SumListTotals(list.RecordCount(), [&](int i) { return list.RecordTextAt(i); });
    bool customers = side == TSide::Customers;
    (customers ? EditSum : EditSum2) = std::move(totals.invoices);
    (customers ? EditSumValue : EditSumValue2) = std::move(totals.value);
}

// Every number keeps its value, a single digit too (a declared 7 must not
// become 0 in the file); only a text that is no number becomes "0".
void TStatement::NormalisePublicValue(std::string& text)
{
    try {
        text = StrToFloat(text).ToHashHash();
    } catch (const EConvertError&) {
        text.assign(1, '0');  // not = "0": GCC 12 warns falsely of an overlap
    }
    Changed();
}

}  // namespace epinax
