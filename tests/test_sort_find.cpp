// Sorting a list and finding a row in it.
#include <sys/stat.h>

#include "StatementFixture.h"

using namespace epinax;
using namespace epinax::test;

class SortFind : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        doc.SetHeaderText(TStatementField::TaxNumber, "999999999");
    }
    void AddNamed(TSide side, const std::string& afm, const std::string& name, const std::string& prof = "")
    {
        auto& list = doc.List(side);
        list.Append();
        Set(side, {afm, name, "1", "1", "5"});
        list.Field(field::Prof).SetAsString(G(prof));
        ASSERT_TRUE(Post(side)) << ui.log.back();
    }
    std::vector<std::string> Names(TSide side)
    {
        auto& list = doc.List(side);
        std::vector<std::string> names;
        for (int i = 0; i < list.RecordCount(); ++i)
            names.push_back(cp1253::ToUtf8(list.FieldTextAt(i, list.Field(field::Name))));
        return names;
    }
    std::string CurrentName(TSide side) { return cp1253::ToUtf8(doc.List(side).Field(field::Name).AsString()); }
    std::vector<std::string> Find(const std::string& text, bool byAfm, bool partial)
    {
        ui.Take();
        ui.Tell(doc.Find(TFindRequest{G(text), byAfm, partial}));
        return ui.Take();
    }
};

TEST_F(SortFind, SortsByTheTailsInByteOrder)
{
    const char* names[] = {"ΑΒΓ", "ΑΒ", "αβ", "ΆΝΝΑ", "ZETA", "", "ΑΒ"};
    const char* afms[] = {"100000001", "100000002", "100000003", "100000004", "100000005", "100000006", "100000007"};
    for (int i = 0; i < 7; ++i) AddNamed(TSide::Customers, afms[i], names[i], i == 6 ? "Α" : "");
    std::string totals = doc.InvoiceTotalText(TSide::Customers) + doc.ValueTotalText(TSide::Customers);
    doc.MarkSaved();
    doc.List(TSide::Customers).Last();
    ui.Take();
    ui.Tell(doc.SortList(TSide::Customers));
    EXPECT_EQ(ui.Take(), (std::vector<std::string>{"hourglass", "wait shown", "wait hidden"}));
    EXPECT_EQ(Names(TSide::Customers), (std::vector<std::string>{"", "ZETA", "ΆΝΝΑ", "ΑΒ", "ΑΒ", "ΑΒΓ", "αβ"}));
    // Equal names go by the profession that follows them.
    EXPECT_EQ(doc.List(TSide::Customers).FieldTextAt(4, doc.List(TSide::Customers).Field(field::Afm)), "100000007");
    EXPECT_EQ(CurrentName(TSide::Customers), "");
    EXPECT_EQ(doc.List(TSide::Customers).CurrentIndex(), 0);
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers) + doc.ValueTotalText(TSide::Customers), totals);
    std::string file = Working("record2");
    EXPECT_EQ(file.size(), 7u * 152);
    EXPECT_EQ(file.substr(6, 9), "100000006");
}

TEST_F(SortFind, EmptyListAndRefusedPendingRow)
{
    doc.MarkSaved();
    ui.Tell(doc.SortList(TSide::Suppliers));
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(Working("record4"), "");

    AddNamed(TSide::Suppliers, "100000001", "Β");
    AddNamed(TSide::Suppliers, "100000002", "Α");
    doc.MarkSaved();
    doc.List(TSide::Suppliers).Append();
    Set(TSide::Suppliers, {"123456780", "Γ", "0", "1", "5"});
    ui.Take();
    ui.Tell(doc.SortList(TSide::Suppliers));
    EXPECT_EQ(ui.Take(), (std::vector<std::string>{"beep",
                                                   "message: Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή "
                                                   "προμηθευτή"}));
    EXPECT_EQ(Names(TSide::Suppliers), (std::vector<std::string>{"Β", "Α"}));
    EXPECT_FALSE(doc.UnsavedChanges());
    EXPECT_EQ(doc.List(TSide::Suppliers).State(), TDataSetState::dsInsert);
}

TEST_F(SortFind, FailedRewriteLeavesListFileAndScreen)
{
    AddNamed(TSide::Customers, "100000001", "Β");
    AddNamed(TSide::Customers, "100000002", "Α");
    std::string before = Working("record2");
    ::chmod(doc.WorkingFile("record2").c_str(), 0444);
    ui.Take();
    ui.Tell(doc.SortList(TSide::Customers));
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2], "wait hidden");
    EXPECT_NE(log[4].find("Η ταξινόμηση απέτυχε"), std::string::npos);
    EXPECT_EQ(Working("record2"), before);
    EXPECT_TRUE(doc.List(TSide::Customers).Active());
    EXPECT_EQ(Names(TSide::Customers), (std::vector<std::string>{"Β", "Α"}));
}

TEST_F(SortFind, FindsByTaxNumberAndByName)
{
    AddNamed(TSide::Customers, "100000001", "ΠΑΠΑΣ ΑΕ");
    AddNamed(TSide::Customers, "123456783", "ΠΑΠΑΣ");
    AddNamed(TSide::Customers, "123456791", "ΑΛΛΟΣ");
    AddNamed(TSide::Suppliers, "123456783", "ΠΡΟΜΗΘΕΥΤΗΣ");

    EXPECT_EQ(Find("ΠΑΠΑΣ", false, false), std::vector<std::string>{});
    EXPECT_EQ(CurrentName(TSide::Customers), "ΠΑΠΑΣ");
    Find("ΠΑΠΑΣ", false, true);
    EXPECT_EQ(CurrentName(TSide::Customers), "ΠΑΠΑΣ ΑΕ");
    Find("  12345 ", true, true);
    EXPECT_EQ(CurrentName(TSide::Customers), "ΠΑΠΑΣ");
    Find("12345", true, false);
    EXPECT_EQ(Find("12345", true, false), std::vector<std::string>{"warning: Δεν βρέθηκε ο ΑΦΜ"});
    EXPECT_EQ(doc.List(TSide::Customers).CurrentIndex(), 0);
    EXPECT_EQ(Find("παπας", false, true), std::vector<std::string>{"warning: Δεν βρέθηκε η Επωνυμία"});

    ui.Tell(doc.ChangeTab(1));
    Find("123456783", true, false);
    EXPECT_EQ(CurrentName(TSide::Suppliers), "ΠΡΟΜΗΘΕΥΤΗΣ");
}

TEST_F(SortFind, SettlingBothListsBeforeAFindTellsOfARefusal)
{
    doc.List(TSide::Suppliers).Append();
    Set(TSide::Suppliers, {"123456780", "Γ", "0", "1", "5"});
    ui.Take();
    EXPECT_TRUE(ui.Refused(doc.PostPendingRows()));
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 2u);  // the refusal
    EXPECT_EQ(log[0], "beep");
}
