// New, the checks before saving, Save As, Open and closing.
#include <sys/stat.h>

#include "StatementFixture.h"
#include "statement/StatementFile.h"

using namespace epinax;
using namespace epinax::test;

namespace {

std::string Padded(std::string text, size_t width = 150)
{
    text.resize(width, ' ');
    return text;
}

}  // namespace

class Lifecycle : public StatementTest {};

TEST_F(Lifecycle, NewEmptiesEverythingAndSelectsDebit)
{
    New();
    ValidHeader();
    ASSERT_TRUE(Add(TSide::Customers, {"123456780", "A", "1", "2", "5"}));
    doc.ChooseKind(true);
    doc.MarkSaved();
    doc.SetPublicValueText(TSide::Customers, "5");
    New();
    EXPECT_FALSE(doc.Header().Credit);
    EXPECT_TRUE(doc.UnsavedChanges());  // the kind changed
    EXPECT_EQ(doc.Header(), TStatementHeader{});
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 0);
    EXPECT_EQ(doc.PublicValue(TSide::Customers), "");
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "");
    EXPECT_EQ(doc.CountText(TSide::Suppliers), "0 Εγγραφές (Προμηθευτές)");
    EXPECT_EQ(Working("record2"), "");
    EXPECT_EQ(Working("generaldata"), "");

    doc.MarkSaved();
    New();
    EXPECT_FALSE(doc.UnsavedChanges());  // debit already: no click
}

TEST_F(Lifecycle, CloseRemovesTheWorkingFiles)
{
    doc.Close();
    EXPECT_TRUE(ui.Take().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("temp")));

    TStatement second(dir.Path() + "/", ui, [] { return kToday; });
    ui.Completed(second.New());
    second.MarkChanged();
    EXPECT_TRUE(std::filesystem::exists(dir.File("temp/record2")));
    second.Close();
    EXPECT_TRUE(ui.Take().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("temp")));
}

// ----------------------------------------------------------------- checks

class SaveChecks : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
    }
    std::vector<std::string> Check()
    {
        ui.Take();
        ui.Tell(doc.CheckBeforeSave());
        return ui.Take();
    }
};

TEST_F(SaveChecks, HeaderInOrder)
{
    const std::string prefix = "message: Η αποθήκευση σε αρχείο απέτυχε: ";
    const std::string yearMessage =
        prefix + "Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και επαναλάβετε την αποθήκευση.";
    for (const char* year : {"1899", "2026", ""}) {
        doc.SetHeaderText(TStatementField::Year, year);
        EXPECT_EQ(Check(), (std::vector<std::string>{"beep", yearMessage, "focus: YearOfData"})) << year;
    }
    doc.SetHeaderText(TStatementField::Year, "1900");
    doc.SetHeaderText(TStatementField::TaxNumber, "123456789");
    EXPECT_EQ(Check(), (std::vector<std::string>{prefix + "Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου. Διορθώστε το και "
                                                          "επαναλάβετε την αποθήκευση.",
                                                 "focus: AFM"}));
    doc.SetHeaderText(TStatementField::TaxNumber, "123456783");
    doc.SetHeaderText(TStatementField::Installation, "");
    doc.SelectTaxOffice(-1);
    EXPECT_EQ(Check(),
              (std::vector<std::string>{prefix + "Συμπληρώστε το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση.",
                                        "focus: Egatastash"}));
    doc.SetHeaderText(TStatementField::Installation, "0");
    EXPECT_EQ(Check(), (std::vector<std::string>{prefix + "Επιλέξτε τη ΔΟΥ και επαναλάβετε την αποθήκευση.",
                                                 "focus: ComboBox1"}));
    doc.SelectTaxOffice(0);
    doc.SetHeaderText(TStatementField::Year, "2025");
    EXPECT_TRUE(Check().empty());
    EXPECT_FALSE(ui.Refused(doc.CheckBeforeSave()));
}

TEST_F(SaveChecks, ListsCustomersFirstEarliestRowFirst)
{
    const std::string prefix = "message: Η αποθήκευση σε αρχείο απέτυχε: Ο ΑΦΜ: ";
    ASSERT_TRUE(Add(TSide::Customers, {"000000050", "A", "0", "2", "5"}));
    ASSERT_TRUE(Add(TSide::Suppliers, {"000000050", "A", "0", "2", "5"}));
    // Edited rows escape the duplicate check on post; the save check finds them.
    for (const char* afm : {"111111111", "222222222", "111111111", "111111111"}) {
        ASSERT_TRUE(Add(TSide::Customers, {"000000104", "A", "1", "2", "5"}));
        doc.List(TSide::Customers).Edit();
        doc.List(TSide::Customers).Field(field::Afm).SetAsString(afm);
        ASSERT_TRUE(Post(TSide::Customers));
    }
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep", prefix + "111111111 έχει εισαχθεί 2 φορές στους πελάτες. Διορθώστε το και "
                                            "επαναλάβετε την αποθήκευση."}));

    doc.SetHeaderText(TStatementField::TaxNumber, "000000050");
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep", prefix + "000000050 στους πελάτες είναι ίδιος με τον ΑΦΜ Υπόχρεου. Διορθώστε το "
                                            "και επαναλάβετε την αποθήκευση."}));
}

TEST_F(SaveChecks, SupplierMessagesAndASingleRowList)
{
    doc.SetHeaderText(TStatementField::TaxNumber, "000000050");
    ASSERT_TRUE(Add(TSide::Suppliers, {"123456783", "A", "0", "2", "5"}));
    doc.SetHeaderText(TStatementField::TaxNumber, "123456783");  // changed after the row was posted
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep",
                           "message: Η αποθήκευση σε αρχείο απέτυχε: Ο ΑΦΜ: 123456783 στους προμηθευτές "
                           "είναι ίδιος με τον ΑΦΜ Υπόχρεου.  Διορθώστε το και επαναλάβετε την αποθήκευση."}));
}

TEST_F(SaveChecks, RefusedPendingRowStopsEverything)
{
    doc.List(TSide::Customers).Append();
    Set(TSide::Customers, {"123456780", "A", "0", "2", "5"});
    doc.List(TSide::Suppliers).Append();
    Set(TSide::Suppliers, {"123456780", "A", "0", "2", "5"});
    EXPECT_EQ(Check(),
              (std::vector<std::string>{"beep", "message: Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"}));
    EXPECT_EQ(doc.List(TSide::Suppliers).State(), TDataSetState::dsInsert);  // not posted
    EXPECT_TRUE(ui.Refused(doc.CheckBeforeSave()));
}

// ---------------------------------------------------------------- Save As

class SaveAs : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
    }
};

TEST_F(SaveAs, WritesTheExampleLinesAndShowsTheSuccessBox)
{
    ASSERT_TRUE(Add(TSide::Customers, {"000000050", "Α", "0", "10", "0,5"}));
    ASSERT_TRUE(Add(TSide::Customers, {"000000104", "Β", "0", "3", "765"}));
    ASSERT_TRUE(Add(TSide::Customers, {"123456780", "ΓΑΜΜΑ", "1", "12", "234,5"}));
    doc.SetPublicValueText(TSide::Customers, "50");
    doc.SetPublicValueText(TSide::Suppliers, "5");
    ui.Take();
    std::string path = Save();
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(doc.ProposedFileName(), "123456783");
    EXPECT_EQ(log[0], "hourglass");
    EXPECT_EQ(log[1], "wait shown");
    EXPECT_EQ(log[2], "wait hidden");
    EXPECT_EQ(log[3], "message: " + SaveAsSuccessText());
    EXPECT_TRUE(log[3].find("Επιτυχής Αποθήκευση Αρχείου.\r\n\r\nΗ Συγκεντρωτική") != std::string::npos);
    EXPECT_FALSE(doc.UnsavedChanges());
    EXPECT_EQ(doc.PublicValue(TSide::Suppliers), "5");  // a single digit keeps its value

    auto lines = FileLines(ReadBytes(path));
    ASSERT_EQ(lines.size(), 7u);
    for (const auto& line : lines) EXPECT_EQ(line.size(), 150u);
    EXPECT_EQ(lines[0], Padded("0IL01    20250314"));
    EXPECT_EQ(lines[2].substr(0, 15), "200001000000050");
    const std::string& third = lines[4];
    EXPECT_EQ(third.substr(0, 6), "200003");
    EXPECT_EQ(third.substr(92, 7), "0000012");
    EXPECT_EQ(third.substr(99, 16), "0000000000023450");
    EXPECT_EQ(third.substr(115), std::string(35, ' '));
    EXPECT_EQ(third.substr(15, 27), Padded(G("ΓΑΜΜΑ"), 27));
    EXPECT_EQ(lines[5], Padded("3999999011"
                               "0000000000005000"
                               "999999999"
                               "0000000000000025"
                               "0000000000105000"));
    EXPECT_EQ(lines[6], Padded("5999999011"
                               "0000000000000500"
                               "999999999"
                               "0000000000000000"
                               "0000000000000500"));
    EXPECT_EQ(ReadBytes(path).substr(ReadBytes(path).size() - 2), "\r\n");
}

TEST_F(SaveAs, CreditNameEmptyListsAndSupplierPublicValue)
{
    doc.ChooseKind(true);
    doc.SetPublicValueText(TSide::Suppliers, "100");
    EXPECT_EQ(doc.ProposedFileName(), "123456783.PIS");
    Save("credit");
    auto lines = FileLines(ReadBytes(dir.File("credit")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 9), "0IL01.PIS");
    EXPECT_EQ(lines[2], Padded("5999999011"
                               "0000000000010000"
                               "999999999"
                               "0000000000000000"
                               "0000000000010000"));

    doc.SetPublicValueText(TSide::Suppliers, "");
    EXPECT_EQ(FileLines(ReadBytes(Save("plain"))).size(), 2u);
}

TEST_F(SaveAs, ExistingFileKeptUnlessReplacedAndIdenticalSecondSave)
{
    ASSERT_TRUE(Add(TSide::Suppliers, {"123456780", "Α", "1", "0", "7"}));
    std::string first = ReadBytes(Save());
    doc.MarkChanged();
    ui.Take();
    EXPECT_FALSE(ui.Completed(doc.SaveAs(dir.File("out"), false)));
    EXPECT_TRUE(ui.Take().empty());
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(ReadBytes(Save()), first);
    EXPECT_EQ(FileLines(first)[2].substr(92, 7), "0000000");
}

TEST_F(SaveAs, RefusedAmountLeavesTheEarlierFileAndRestoresTheWindow)
{
    ASSERT_TRUE(Add(TSide::Customers, {"123456780", "Α", "1", "1", "9999999999999999"}));
    WriteBytes(dir.File("out"), "earlier");
    doc.MarkChanged();
    ui.Take();
    Save();
    auto log = ui.Take();
    EXPECT_EQ(ReadBytes(dir.File("out")), "earlier");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "wait hidden");
    EXPECT_EQ(log.back(),
              "message: Η αποθήκευση σε αρχείο απέτυχε: Η αξία της εγγραφής 1 στους πελάτες δεν χωράει "
              "στο αρχείο (έως 16 ψηφία σε λεπτά, χωρίς πρόσημο).");
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // temp and out
}

TEST_F(SaveAs, ReadOnlyTargetGetsAGreekMessage)
{
    WriteBytes(dir.File("locked"), "earlier");
    ::chmod(dir.File("locked").c_str(), 0444);
    Save("locked");
    EXPECT_EQ(ReadBytes(dir.File("locked")), "earlier");
    EXPECT_NE(ui.log.back().find("Δεν ήταν δυνατή η εγγραφή του αρχείου"), std::string::npos);
    EXPECT_EQ(ui.log[ui.log.size() - 3], "wait hidden");
}

TEST(StatementLines, TooManyRowsAndFullWidthFields)
{
    std::string problem;
    std::string record = Padded("2     123456783");
    record.replace(92, 7, "1      ");
    record.replace(99, 16, "5               ");
    EXPECT_FALSE(CounterpartyLine(TSide::Customers, 100000, record, problem));
    EXPECT_EQ(problem, "Η αποθήκευση σε αρχείο απέτυχε: Η λίστα των πελατών έχει περισσότερες από 99999 εγγραφές.");
    auto line = CounterpartyLine(TSide::Suppliers, 99999, record, problem);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->size(), 150u);
    EXPECT_EQ(line->substr(0, 6), "499999");
    EXPECT_EQ((*line)[57], ' ');  // an empty obligation flag still takes its place
}

// ------------------------------------------------------------------- Open

class OpenFile : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
        doc.SetHeaderText(TStatementField::Phone, "2101234");
        ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΠΡΩΤΟΣ", "0", "10", "0,5"}));
        ASSERT_TRUE(Add(TSide::Customers, {"123456780", "ΔΕΥΤΕΡΟΣ", "1", "12", "1234,5"}));
        ASSERT_TRUE(Add(TSide::Suppliers, {"000000104", "ΤΡΙΤΟΣ", "0", "2", "0"}));
        doc.SetPublicValueText(TSide::Customers, "50");
        saved = ReadBytes(Save());
        ui.Take();
    }
    std::string saved;
};

TEST_F(OpenFile, RoundTripGivesTheSameStatementAndBytes)
{
    TStatementHeader header = doc.Header();
    TempDir other;
    RecordingUi otherUi;
    TStatement reopened(other.Path() + "/", otherUi, [] { return kToday; });
    WriteBytes(other.File("in"), saved);
    otherUi.Completed(reopened.Open(other.File("in")));
    EXPECT_TRUE(otherUi.log.empty()) << otherUi.log.back();
    EXPECT_EQ(reopened.Header().Phone, "2101234   ");
    TStatementHeader trimmed = reopened.Header();
    trimmed.Phone = "2101234";
    trimmed.Fax = "";
    EXPECT_EQ(trimmed, header);
    EXPECT_EQ(reopened.List(TSide::Customers).RecordCount(), 2);
    EXPECT_EQ(reopened.List(TSide::Customers).FieldTextAt(1, reopened.List(TSide::Customers).Field(field::Value)),
              "1234,5");
    EXPECT_EQ(reopened.List(TSide::Customers).FieldTextAt(1, reopened.List(TSide::Customers).Field(field::AA)),
              "00002");
    EXPECT_EQ(reopened.InvoiceTotalText(TSide::Customers), doc.InvoiceTotalText(TSide::Customers));
    EXPECT_EQ(reopened.ValueTotalText(TSide::Customers), "1235,00");
    EXPECT_EQ(reopened.ValueTotalText(TSide::Suppliers), "0,00");
    EXPECT_EQ(reopened.PublicValue(TSide::Customers), "50");
    EXPECT_EQ(reopened.PublicValue(TSide::Suppliers), "0");
    EXPECT_EQ(reopened.CountText(TSide::Customers), "2 Εγγραφές (Πελάτες)");
    EXPECT_TRUE(reopened.StatementLoaded());
    EXPECT_EQ(ReadBytes(other.File("temp/record21")), ReadBytes(other.File("temp/record2")));

    otherUi.Completed(reopened.SaveAs(other.File("again"), false));
    EXPECT_EQ(ReadBytes(other.File("again")), saved);
}

// Without working files (the command-line import): the same work gives the
// same statement, what the user is told included, and writes nothing but
// the saved file; nor does New.
TEST_F(OpenFile, WithoutWorkingFilesTheSameWorkGivesTheSameStatement)
{
    RecordingUi memoryUi;
    TStatement memory(memoryUi, [] { return kToday; });
    TempDir cwd;  // where a working file without its directory would land
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(cwd.Path());
    auto work = [&](TStatement& statement, RecordingUi& told, const std::string& savedAs) {
        told.Completed(statement.OpenBytes(saved));
        statement.SetHeaderText(TStatementField::Phone, "2109999");
        TFixedFormatDataSet& suppliers = statement.List(TSide::Suppliers);
        suppliers.Append();
        for (auto [at, text] : {std::pair{field::Afm, "000000050"},
                                {field::Name, "ALFA"},
                                {field::Ypovolh, "0"},
                                {field::NoTimologion, "3"},
                                {field::Value, "7,5"}})
            suppliers.Field(at).SetAsString(text);
        suppliers.Post();
        statement.List(TSide::Customers).Delete();
        told.Tell(statement.SortList(TSide::Suppliers));
        told.Completed(statement.SaveAs(dir.File(savedAs), true));
        return std::vector<std::string>{ReadBytes(dir.File(savedAs)), statement.ValueTotalText(TSide::Suppliers),
                                        statement.CountText(TSide::Customers)};
    };
    EXPECT_EQ(work(memory, memoryUi, "without"), work(doc, ui, "with"));
    EXPECT_EQ(memoryUi.Take(), ui.Take());
    EXPECT_EQ(FileLines(ReadBytes(dir.File("without")))[4].substr(15, 4), "ALFA");  // sorted first
    EXPECT_TRUE(memoryUi.Completed(memory.New()));
    EXPECT_EQ(memory.Header(), TStatementHeader{});
    EXPECT_EQ(memory.List(TSide::Suppliers).RecordCount(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(cwd.Path()));
    std::filesystem::current_path(before);
}

TEST_F(OpenFile, FormCodesAndKind)
{
    auto withFirst = [&](const std::string& first) {
        std::string bytes = saved;
        bytes.replace(0, 17, first);
        return bytes;
    };
    WriteBytes(dir.File("lower"), withFirst("0il01.pis20250314"));
    ui.Completed(doc.Open(dir.File("lower")));
    EXPECT_FALSE(doc.Header().Credit);
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);

    WriteBytes(dir.File("iota"), withFirst("0\xC9L01.PIS20250314"));
    doc.MarkSaved();
    ui.Completed(doc.Open(dir.File("iota")));
    EXPECT_TRUE(doc.Header().Credit);
    EXPECT_TRUE(doc.UnsavedChanges());
}

TEST_F(OpenFile, RefusedFilesLeaveTheStatementAsItWas)
{
    doc.SetPublicValueText(TSide::Suppliers, "7");
    doc.SetHeaderText(TStatementField::CompanyName, "TYPED");
    const std::string record2 = Working("record2");
    auto lines = FileLines(saved);
    struct Case {
        std::string bytes;
        std::vector<std::string> shown;
    } cases[] = {
        {"1" + saved.substr(1), {"message: Μη έγκυρο αρχείο"}},
        {saved + "\r\n",
         {"beep",
          "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής "
          "είναι λανθασμένο"}},
        {saved + lines[0] + "\r\n", {"beep", "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"}},
        {saved + "3999999011XXXX" + std::string(136, ' ') + "\r\n",
         {"beep", "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"}},
        {saved + lines[2].substr(0, 92) + "       " + lines[2].substr(99) + "\r\n",
         {"beep", "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"}},
        {saved + lines[2].substr(0, 70) + std::string(1, '\0') + lines[2].substr(71) + "\r\n",
         {"beep", "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"}},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.File("bad"), c.bytes);
        ui.Completed(doc.Open(dir.File("bad")));
        EXPECT_EQ(ui.Take(), c.shown);
        EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);
        EXPECT_TRUE(doc.List(TSide::Customers).Active());
        EXPECT_EQ(Working("record2"), record2);
        EXPECT_EQ(doc.PublicValue(TSide::Suppliers), "7");
        EXPECT_EQ(doc.Header().CompanyName, "TYPED");
        EXPECT_EQ(doc.ValueTotalText(TSide::Customers), "1235,00");
    }
    ui.Completed(doc.Open(dir.File("missing")));
    EXPECT_NE(ui.log.back().find("error: Δεν ήταν δυνατό να διαβαστεί"), std::string::npos);
}

TEST_F(OpenFile, LinesInAnyOrderAndOnlyTheFirstHeader)
{
    auto lines = FileLines(saved);
    std::string header2 = lines[1];
    header2.replace(15, 4, "ZZZZ");
    // form, supplier, header, customer, second header, customer; no totals
    std::string bytes = lines[0] + "\r\n" + lines[5] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n" + header2 +
                        "\r\n" + lines[3] + "\r\n";
    WriteBytes(dir.File("mixed"), bytes);
    ui.Completed(doc.Open(dir.File("mixed")));
    EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), 1);
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);
    EXPECT_EQ(doc.Header().CompanyName, "ACME");
    EXPECT_EQ(doc.PublicValue(TSide::Customers), "0");  // no type 3 line
}

TEST_F(OpenFile, HandMadeNumbersAreSavedSoThatTheyReadAgain)
{
    auto lines = FileLines(saved);
    std::string row = lines[2];
    row.replace(92, 7, " 0012  ");  // read as 12 by the platform's conversion
    std::string bytes = lines[0] + "\r\n" + lines[1] + "\r\n" + row + "\r\n";
    WriteBytes(dir.File("hand"), bytes);
    ui.Completed(doc.Open(dir.File("hand")));
    ASSERT_EQ(doc.List(TSide::Customers).RecordCount(), 1);
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "12");
    auto again = FileLines(ReadBytes(Save("again")));
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again[2].substr(92, 7), "0000012");
    EXPECT_TRUE(ReadStatement(ReadBytes(dir.File("again"))).contents);
}

TEST_F(OpenFile, LoadHeaderProblemsAndGeneraldataAfterNew)
{
    WriteBytes(doc.WorkingFile("generaldata"),
               "12024"
               "9999"
               "42");
    ui.Tell(doc.LoadHeader());
    EXPECT_EQ(doc.Header().TaxOffice, -1);
    EXPECT_EQ(doc.Header().FolderNumber, "42");
    EXPECT_EQ(doc.Header().TaxNumber, "");
}
