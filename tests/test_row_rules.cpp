// The row validation on post and the list refresh after it.
#include "StatementFixture.h"

#include <random>

using namespace epinax;
using namespace epinax::test;

namespace {

const Row kGood{"123456783", "ΠΑΠΑΔΟΠΟΥΛΟΣ", "0", "3", "100,5"};

}  // namespace

class RowRules : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        doc.SetHeaderText(TStatementField::TaxNumber, "999999999");
    }
    std::vector<std::string> Refusal(const std::string& utf8) { return {"beep", Message(utf8)}; }
};

TEST_F(RowRules, AcceptedRowIsCompletedCountedAndTotalled)
{
    ASSERT_TRUE(Add(TSide::Customers, kGood));
    EXPECT_EQ(doc.CountText(TSide::Customers), "1 Εγγραφές (Πελάτες)");
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "3");
    EXPECT_EQ(doc.ValueTotalText(TSide::Customers), "100,50");
    std::string record(doc.List(TSide::Customers).RecordTextAt(0));
    ASSERT_EQ(record.size(), 150u);
    EXPECT_EQ(record[0], '2');
    EXPECT_EQ(record.substr(115), std::string(35, ' '));
    EXPECT_EQ(Working("record2"), record + "\r\n");
    EXPECT_EQ(Working("record21"), record + "\r\n");
    EXPECT_EQ(doc.List(TSide::Customers).FileName(), doc.WorkingFile("record2"));
}

TEST_F(RowRules, SameAsOwnTaxNumberComesFirst)
{
    Row row = kGood;
    row.afm = "999999999";
    row.ypovolh = "1";
    EXPECT_FALSE(Add(TSide::Customers, row));
    EXPECT_EQ(ui.Take(), Refusal("O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου."));
    EXPECT_EQ(doc.List(TSide::Customers).State(), TDataSetState::dsInsert);

    // Both empty: still the same-number message, not the completeness one.
    doc.SetHeaderText(TStatementField::TaxNumber, "");
    doc.List(TSide::Customers).Field(field::Afm).SetAsString("");
    EXPECT_FALSE(Post(TSide::Customers));
    EXPECT_EQ(ui.Take(), Refusal("O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου."));
}

TEST_F(RowRules, DuplicatesOnlyForNewRowsAndWithinOneList)
{
    ASSERT_TRUE(Add(TSide::Customers, kGood));
    ASSERT_TRUE(Add(TSide::Suppliers, kGood));  // the other list does not count
    EXPECT_FALSE(Add(TSide::Customers, kGood));
    EXPECT_EQ(ui.Take(), Refusal("Ο ΑΦΜ: 123456783 έχει εισαχθεί 2 φορές στους πελάτες"));
    doc.List(TSide::Customers).Cancel();

    Row other = kGood;
    other.afm = "000000050";
    ASSERT_TRUE(Add(TSide::Customers, other));
    auto& list = doc.List(TSide::Customers);
    list.Edit();
    list.Field(field::Afm).SetAsString("123456783");
    EXPECT_TRUE(Post(TSide::Customers));  // an edited row is left to the save checks
}

TEST_F(RowRules, RequiredFieldsTaxNumberAndInvoiceRules)
{
    const std::string required = "Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, Αριθ. τιμολογίων, Αξία";
    struct Case {
        TSide side;
        Row row;
        std::string message;  // empty: accepted
    } cases[] = {
        {TSide::Customers, {"123456783", "A", "", "3", "1"}, required},
        {TSide::Customers, {"123456783", "A", "0", "3", ""}, required},
        {TSide::Customers, {"123456780", "A", "0", "3", "1"}, "Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"},
        {TSide::Suppliers,
         {"123456780", "A", "0", "3", "1"},
         "Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή προμηθευτή"},
        {TSide::Customers, {"123456780", "A", "1", "3", "1"}, ""},
        {TSide::Customers,
         {"000000050", "A", "0", "1", "0"},
         "Εφόσον η αξία είναι 0, ο αριθμός τιμολογίων πρέπει να είναι >1 "},
        {TSide::Suppliers, {"000000050", "A", "0", "2", "0"}, ""},
        {TSide::Customers, {"111111111", "A", "1", "0", "100"}, "Ο αριθμός τιμολογίων πρέπει να είναι >0 "},
        {TSide::Suppliers, {"111111111", "A", "1", "0", "100"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row.afm + " " + c.message);
        bool accepted = Add(c.side, c.row);
        EXPECT_EQ(accepted, c.message.empty());
        if (!accepted) {
            EXPECT_EQ(ui.Take(), Refusal(c.message));
            doc.List(c.side).Cancel();
        }
        ui.Take();
        if (accepted) doc.List(c.side).Delete();
    }
}

TEST_F(RowRules, ValueIsStoredInItsShortForm)
{
    std::pair<const char*, const char*> forms[] = {
        {"1234,567", "1234,57"}, {"0,10", "0,1"}, {"007", "7"}, {"12,", "12"}};
    for (auto [typed, stored] : forms) {
        Row row = kGood;
        row.value = typed;
        ASSERT_TRUE(Add(TSide::Customers, row)) << typed;
        EXPECT_EQ(doc.List(TSide::Customers).Field(field::Value).AsString(), stored);
        doc.List(TSide::Customers).Delete();
    }
}

TEST_F(RowRules, NumberThatIsNoNumberStopsThePostWithTheConversionError)
{
    Row row = kGood;
    row.value = "1.5";
    doc.List(TSide::Customers).Append();
    Set(TSide::Customers, row);
    try {
        doc.List(TSide::Customers).Post();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'1.5' is not a valid floating point value");
    }
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 0);
}

TEST_F(RowRules, UntypedNewRowIsDroppedWithoutValidation)
{
    ASSERT_TRUE(Add(TSide::Customers, kGood));
    doc.List(TSide::Customers).Append();
    doc.List(TSide::Customers).First();
    EXPECT_TRUE(ui.Take().empty());
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 1);
}

TEST_F(RowRules, DeleteRefreshesFilesCountAndTotals)
{
    ASSERT_TRUE(Add(TSide::Customers, kGood));
    doc.List(TSide::Customers).Delete();
    EXPECT_EQ(doc.CountText(TSide::Customers), "0 Εγγραφές (Πελάτες)");
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "0");
    EXPECT_EQ(doc.ValueTotalText(TSide::Customers), "0,00");
    EXPECT_EQ(Working("record2"), "");
    EXPECT_EQ(Working("record21"), "");
}

TEST_F(RowRules, SupplierTotalsAreExact)
{
    ASSERT_TRUE(Add(TSide::Suppliers, {"123456783", "A", "0", "1", "0,1"}));
    ASSERT_TRUE(Add(TSide::Suppliers, {"000000050", "B", "0", "2", "0,2"}));
    EXPECT_EQ(doc.ValueTotalText(TSide::Suppliers), "0,30");
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Suppliers), "3");
    EXPECT_EQ(doc.CountText(TSide::Suppliers), "2 Εγγραφές (Προμηθευτές)");
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "");  // the other list is untouched
}

// Each post and delete counts its one row. Whatever the order of changes and
// the forms of the numbers, the totals are what adding up the whole list
// gives; a list that cannot be added up stops the change with the same error
// and leaves the totals as they were.
TEST_F(RowRules, TotalsFollowEveryChangeAsAWholeSum)
{
    TFixedFormatDataSet& list = doc.List(TSide::Suppliers);
    std::mt19937 random(1253);
    // Mostly the plain forms; now and then one read the long way or not at all.
    auto any = [&](const std::vector<std::string>& plain, const std::vector<std::string>& other) {
        const auto& texts = random() % 20 == 0 ? other : plain;
        return texts[random() % texts.size()];
    };
    auto invoices = [&] { return any({"1", "3", "250", "9999999"}, {"1E1", "1E35", "1E-5", "2a"}); };
    auto value = [&] { return any({"100,5", "0,01", "7", "12345678901,99"}, {"-5", "-0,5"}); };
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        const int count = list.RecordCount();
        const unsigned action = count == 0 ? 0 : random() % 3;
        if (action > 0) list.GotoBookmark(list.RecordIdAt(static_cast<int>(random() % count)));
        const auto before = doc.Totals(TSide::Suppliers);
        std::string error;
        try {
            if (action == 2) {
                list.Delete();
            } else {
                if (action == 0) {
                    list.Append();
                    list.Field(field::Afm).SetAsString(std::to_string(100000000 + step));
                    list.Field(field::Ypovolh).SetAsString("1");
                } else {
                    list.Edit();
                }
                list.Field(field::NoTimologion).SetAsString(invoices());
                list.Field(field::Value).SetAsString(value());
                list.Post();
            }
        } catch (const std::exception& e) {
            error = e.what();
        }
        try {
            EXPECT_EQ(doc.Totals(TSide::Suppliers), SumList(list).totals);
            EXPECT_EQ(error, "");
        } catch (const std::exception& e) {
            EXPECT_EQ(error, e.what());
            EXPECT_EQ(doc.Totals(TSide::Suppliers), before);
        }
    }
}

// Every number keeps its value, a single digit too; what is no number is 0.
TEST_F(RowRules, PublicValueIsNormalisedOnLeaving)
{
    std::pair<const char*, const char*> forms[] = {{"7", "7"},        {"", "0"},         {",", "0"},
                                                   {"07", "7"},       {"15", "15"},      {"1234,567", "1234,57"},
                                                   {"12,50", "12,5"}, {"0,005", "0,01"}, {",5", "0,5"}};
    for (auto [typed, shown] : forms) {
        doc.SetPublicValueText(TSide::Customers, typed);
        doc.LeavePublicValue(TSide::Customers);
        EXPECT_EQ(doc.PublicValue(TSide::Customers), shown) << typed;
    }
}

TEST_F(RowRules, TabSwitchKeepsARefusedRowOnItsTab)
{
    doc.List(TSide::Customers).Append();
    Set(TSide::Customers, {"123456780", "A", "0", "1", "5"});
    ui.Tell(doc.ChangeTab(1));
    EXPECT_EQ(doc.ActivePage(), 0);
    EXPECT_EQ(ui.Take(), Refusal("Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"));

    doc.List(TSide::Customers).Field(field::Afm).SetAsString("123456783");
    ui.Tell(doc.ChangeTab(1));
    EXPECT_EQ(doc.ActivePage(), 1);
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 1);
    ui.Tell(doc.ChangeTab(0));
    EXPECT_EQ(doc.ActivePage(), 0);
}

TEST_F(RowRules, KeyHandlersSetTheFlagAndRefuse)
{
    doc.MarkSaved();
    EXPECT_FALSE(doc.FieldKeyPress(TStatementField::PostCode, 'a', ""));
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(doc.FieldKeyPress(TStatementField::Installation, static_cast<char>(197), ""), 'E');
    EXPECT_EQ(doc.FieldKeyPress(TStatementField::CompanyName, 'x', ""), 'x');
    EXPECT_EQ(doc.FieldKeyPress(TStatementField::CustomerPublicValue, ',', "1,5"), std::nullopt);

    doc.MarkSaved();
    EXPECT_FALSE(doc.FieldKeyPress(TStatementField::CustomerInvoiceTotal, '1', ""));
    EXPECT_FALSE(doc.UnsavedChanges());

    EXPECT_FALSE(doc.GridKeyPress(TSide::Customers, 3, '2', ""));
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(doc.GridKeyPress(TSide::Customers, 9, ',', ""), ',');
    EXPECT_FALSE(doc.GridKeyPress(TSide::Suppliers, 9, ',', "1,"));
    EXPECT_EQ(doc.GridKeyPress(TSide::Suppliers, 0, 'x', ""), 'x');
    EXPECT_FALSE(doc.GridKeyPress(TSide::Suppliers, 8, 'x', ""));
}
