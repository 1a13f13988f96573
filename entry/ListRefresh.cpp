// After every post and delete: the working files, the row count and the
// totals of the list.
#include "common/Files.h"
#include "common/Greek.h"
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

// The scratch file now holds exactly the list, so the sums are taken from the
// list in memory rather than read back from the file. Amounts in the forms
// the program writes are summed as whole cents; anything else is read the
// long way, with the same result.
void TStatement::UpdateTotals(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    const TField& invoicesField = list.FieldByName("NoTimologion");
    const TField& valueField = list.FieldByName("Value");
    __int128 plainInvoices = 0, plainCents = 0;
    Decimal otherInvoices, otherValues;
    const size_t invoicesAt = invoicesField.Offset(), valueAt = valueField.Offset();
    const size_t recordEnd = valueAt + valueField.Size();
    for (int i = 0; i < list.RecordCount(); ++i) {
        std::string_view record = list.RecordTextAt(i);
        bool whole = record.size() >= recordEnd;
        auto count = whole ? PaddedDigits(record.substr(invoicesAt, invoicesField.Size())) : std::nullopt;
        auto cents = whole ? PaddedAmountCents(record.substr(valueAt, valueField.Size())) : std::nullopt;
        if (count) plainInvoices += *count;
        else otherInvoices += StrToFloat(std::string(list.FieldViewAt(i, invoicesField)));
        if (cents) plainCents += *cents;
        else otherValues += StrToFloat(std::string(list.FieldViewAt(i, valueField)));
    }
    Decimal invoiceSum = Decimal::FromCents(plainInvoices * 100) + otherInvoices;
    Decimal valueSum = Decimal::FromCents(plainCents) + otherValues;
    bool customers = side == TSide::Customers;
    (customers ? EditSum : EditSum2) = invoiceSum.ToGeneral();
    (customers ? EditSumValue : EditSumValue2) = valueSum.ToFixed2();
}

void TStatement::NormalisePublicValue(std::string& text)
{
    text = text.size() < 2 ? "0" : StrToFloat(text).ToHashHash();
    Changed();
}

}  // namespace epinax
