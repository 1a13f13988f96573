// Counterparty rows as typed, and a list of them in a record store over its
// own working file, for the tests of what is written from the lists.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Greek.h"
#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax::test {

// A counterparty row as typed (UTF-8).
struct TestRow {
    std::string afm, name, prof, ypovolh, city, street, streetNo, tk, invoices, value;
};

// The 150-character record of a row, each field at its place in the schema.
inline std::string RecordOf(TSide side, const TestRow& row)
{
    const std::map<std::string, std::string> values{{"RecordType", "2"},
                                                    {AfmFieldName(side), row.afm},
                                                    {NameFieldName(side), row.name},
                                                    {ProfFieldName(side), row.prof},
                                                    {"Ypovolh", row.ypovolh},
                                                    {"City", row.city},
                                                    {"Street", row.street},
                                                    {"StreetNo", row.streetNo},
                                                    {"TK", row.tk},
                                                    {"NoTimologion", row.invoices},
                                                    {"Value", row.value}};
    std::string record;
    for (const TFieldSpec& spec : CounterpartySchema(side)) {
        auto value = values.find(spec.name);
        std::string field = value == values.end() ? "" : G(value->second);
        field.resize(static_cast<size_t>(spec.width), ' ');
        record += field;
    }
    return record;
}

// The list of one side in a record store over its own working file.
class List {
public:
    List(TSide side, const std::vector<TestRow>& rows) : store_(side == TSide::Customers ? "customers" : "suppliers")
    {
        std::string text;
        for (const TestRow& row : rows) text += RecordOf(side, row) + "\r\n";
        WriteBytes(dir_.File("record"), text);
        store_.SetFileName(dir_.File("record"));
        store_.SetSchema(CounterpartySchema(side));
        store_.Open();
    }
    TFixedFormatDataSet& Store() { return store_; }

private:
    TempDir dir_;
    TFixedFormatDataSet store_;
};

}  // namespace epinax::test
