// After every post and delete: the working files, the row count and the
// totals of the list.
#include "common/Greek.h"
#include "statement/Statement.h"

namespace epinax {

void TStatement::RefreshList(TSide side)
{
    SetCountLabel(side);
    TFixedFormatDataSet& list = List(side);
    bool customers = side == TSide::Customers;
    list.SaveAs(WorkingFile(customers ? "record21" : "record22"));
    list.SaveAs(WorkingFile(customers ? "record2" : "record4"));
    UpdateTotals(side);
    Changed();
}

// The scratch file now holds exactly the list, so the sums are taken from the
// list in memory rather than read back from the file.
void TStatement::UpdateTotals(TSide side)
{
    TFixedFormatDataSet& list = List(side);
    const TField& invoicesField = list.FieldByName("NoTimologion");
    const TField& valueField = list.FieldByName("Value");
    Decimal invoices, value;
    for (int i = 0; i < list.RecordCount(); ++i) {
        invoices += StrToFloat(list.FieldTextAt(i, invoicesField));
        value += StrToFloat(list.FieldTextAt(i, valueField));
    }
    bool customers = side == TSide::Customers;
    (customers ? EditSum : EditSum2) = invoices.ToGeneral();
    (customers ? EditSumValue : EditSumValue2) = value.ToFixed2();
}

void TStatement::NormalisePublicValue(std::string& text)
{
    text = text.size() < 2 ? "0" : StrToFloat(text).ToHashHash();
    Changed();
}

}  // namespace epinax
