// A statement in a temporary program directory, driven through a scripted
// user interface, with a fixed date.
#pragma once

#include "RecordingUi.h"
#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Greek.h"
#include "entry/RecordLayout.h"
#include "statement/Statement.h"

namespace epinax {

inline void PrintTo(const TStatementHeader& h, std::ostream* out)
{
    *out << cp1253::ToUtf8(HeaderLine(h)) << (h.Credit ? " credit" : " debit") << " office " << h.TaxOffice;
}

}  // namespace epinax

namespace epinax::test {

constexpr TDate kToday{2025, 3, 14};

struct Row {
    std::string afm, name, ypovolh = "0", invoices = "1", value = "10";
};

class StatementTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingUi ui;
    TStatement doc{dir.Path() + "/", ui, [] { return kToday; }};

    void New()
    {
        ui.Completed(doc.New());
        ui.Take();
    }
    // A header that passes every check.
    void ValidHeader()
    {
        doc.SetHeaderText(TStatementField::Year, "2024");
        doc.SetHeaderText(TStatementField::TaxNumber, "123456783");
        doc.SetHeaderText(TStatementField::Installation, "E");
        doc.SelectTaxOffice(9);  // ΑΘΗΝΩΝ Α', 1101
        doc.SetHeaderText(TStatementField::CompanyName, "ACME");
    }
    // Appends a row as the grid would and posts it; false when refused.
    bool Add(TSide side, const Row& row)
    {
        auto& list = doc.List(side);
        list.Append();
        Set(side, row);
        return Post(side);
    }
    void Set(TSide side, const Row& row)
    {
        auto& list = doc.List(side);
        list.Field(field::Afm).SetAsString(row.afm);
        list.Field(field::Name).SetAsString(G(row.name));
        list.Field(field::Ypovolh).SetAsString(row.ypovolh);
        list.Field(field::NoTimologion).SetAsString(row.invoices);
        list.Field(field::Value).SetAsString(row.value);
    }
    bool Post(TSide side)
    {
        try {
            doc.List(side).Post();
            return true;
        } catch (const ENotice& told) {
            ui.Tell(told.Notice());
            return false;
        }
    }
    std::string Working(const char* name) { return ReadBytes(doc.WorkingFile(name)); }
    // Saves to `name` in the test directory, as the window does once the
    // user has chosen it and agreed to replace it; the path.
    std::string Save(const std::string& name = "out")
    {
        std::string path = dir.File(name);
        if (!ui.Refused(doc.CheckBeforeSave())) ui.Completed(doc.SaveAs(path, true));
        return path;
    }
    static std::string Message(const std::string& utf8) { return "message: " + utf8; }
};

}  // namespace epinax::test
