// Counterparty rows as typed, and a list of them in a record store over its
// own working file, for the tests of what is written from the lists.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Greek.h"
#include "entry/Counterparty.h"
#include "entry/RecordLayout.h"
#include "record_store/SdfData.h"

namespace epinax::test {

// A counterparty row as typed (UTF-8).
struct TestRow {
    std::string afm, name, prof, ypovolh, city, street, streetNo, tk, invoices, value;
};

// The 150-character record of a row, each field at its place in the layout.
inline std::string RecordOf(const TestRow& row)
{
    const std::string* typed[] = {&row.afm,    &row.name,     &row.prof, &row.ypovolh,  &row.city,
                                  &row.street, &row.streetNo, &row.tk,   &row.invoices, &row.value};
    std::string record(kRecordLength, ' ');
    record[FieldOffset(field::RecordType)] = '2';
    for (size_t i = 0; i < kTypedFields.size(); ++i) {
        const size_t width = FieldWidth(kTypedFields[i]);
        record.replace(FieldOffset(kTypedFields[i]), width, G(*typed[i]).append(width, ' ').substr(0, width));
    }
    return record;
}

// The list of one side in a record store over its own working file.
class List {
public:
    List(TSide side, const std::vector<TestRow>& rows) : store_(side == TSide::Customers ? "customers" : "suppliers")
    {
        std::string text;
        for (const TestRow& row : rows) text += RecordOf(row) + "\r\n";
        WriteBytes(dir_.File("record"), text);
        store_.SetFileName(dir_.File("record"));
        store_.SetSchema(CounterpartySchema());
        store_.Open();
    }
    TFixedFormatDataSet& Store() { return store_; }

private:
    TempDir dir_;
    TFixedFormatDataSet store_;
};

}  // namespace epinax::test
