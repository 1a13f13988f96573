// Rules of the statement that a one-line slip would break without any other
// test noticing: the writer's general path, Open's refusals and staging, the
// header e-mail, the order of the save checks and of the row rules, totals
// from values in other forms, and a sort whose rewrite fails.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <tuple>

#include "StatementFixture.h"
#include "common/Files.h"
#include "statement/StatementFile.h"

using namespace epinax;
using namespace epinax::test;

namespace {

std::string Padded(std::string text, size_t width = 150)
{
    text.resize(width, ' ');
    return text;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

// Every text field of a counterparty row at its full width (Windows-1253).
struct FullRow {
    std::string afm = "123456783";
    std::string name = G("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ ΑΕ");  // 27
    std::string prof = G("ΕΜΠΟΡΙΟ ΕΙΔΩΝ Χ");              // 15
    std::string city = G("ΘΕΣΣΑΛΟΝΙΚ");                   // 10
    std::string street = G("ΛΕΩΦΟΡΟΣ ΝΙΚΗΣ Α");           // 16
    std::string number = G("12Α");                        // 3
    std::string tk = "54622";                             // 5
};

}  // namespace

// ------------------------------------------------------------------ writer

class PinnedWriter : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
        doc.SetHeaderText(TStatementField::TaxNumber, "000000050");
    }
    void AddFull(TSide side, const FullRow& r, const std::string& afm)
    {
        auto& list = doc.List(side);
        list.Append();
        list.Field(field::Afm).SetAsString(afm);
        list.Field(field::Name).SetAsString(r.name);
        list.Field(field::Prof).SetAsString(r.prof);
        list.Field(field::Ypovolh).SetAsString("1");
        list.Field(field::City).SetAsString(r.city);
        list.Field(field::Street).SetAsString(r.street);
        list.Field(field::StreetNo).SetAsString(r.number);
        list.Field(field::TK).SetAsString(r.tk);
        list.Field(field::NoTimologion).SetAsString("12");
        list.Field(field::Value).SetAsString("1234,5");
        ASSERT_TRUE(Post(side)) << ui.log.back();
    }
    static void ExpectFieldsInPlace(const std::string& line, char type, const FullRow& r, const std::string& afm)
    {
        ASSERT_EQ(line.size(), 150u);
        EXPECT_EQ(line[0], type);
        EXPECT_EQ(line.substr(1, 5), "00001");
        EXPECT_EQ(line.substr(6, 9), afm);
        EXPECT_EQ(line.substr(15, 27), r.name);
        EXPECT_EQ(line.substr(42, 15), r.prof);
        EXPECT_EQ(line.substr(57, 1), "1");
        EXPECT_EQ(line.substr(58, 10), r.city);
        EXPECT_EQ(line.substr(68, 16), r.street);
        EXPECT_EQ(line.substr(84, 3), r.number);
        EXPECT_EQ(line.substr(87, 5), r.tk);
        EXPECT_EQ(line.substr(92, 7), "0000012");
        EXPECT_EQ(line.substr(99, 16), "0000000000123450");
        EXPECT_EQ(line.substr(115), std::string(35, ' '));
    }
};

TEST_F(PinnedWriter, FullWidthTextFieldsAreTheSameOnThePlainAndTheGeneralPath)
{
    FullRow r;
    ASSERT_EQ(r.name.size(), 27u);
    ASSERT_EQ(r.prof.size(), 15u);
    ASSERT_EQ(r.city.size(), 10u);
    ASSERT_EQ(r.street.size(), 16u);
    ASSERT_EQ(r.number.size(), 3u);
    AddFull(TSide::Customers, r, "123456783");
    AddFull(TSide::Suppliers, r, "123456791");
    auto plain = FileLines(ReadBytes(Save("plain")));
    ASSERT_EQ(plain.size(), 6u);
    ExpectFieldsInPlace(plain[2], '2', r, "123456783");
    ExpectFieldsInPlace(plain[4], '4', r, "123456791");

    // The same rows with a hand-made invoice count, which the writer cannot
    // copy as plain digits.
    std::vector<std::string> hand = plain;
    hand[2].replace(92, 7, " 0012  ");
    hand[4].replace(92, 7, " 0012  ");
    WriteBytes(dir.File("hand"), Joined(hand));
    ui.Completed(doc.Open(dir.File("hand")));
    ASSERT_EQ(doc.List(TSide::Customers).RecordCount(), 1) << ui.log.back();
    ASSERT_EQ(doc.List(TSide::Suppliers).RecordCount(), 1);
    std::string stored(doc.List(TSide::Customers).RecordTextAt(0));
    ASSERT_EQ(stored[92], ' ');  // not in the plain form
    auto again = FileLines(ReadBytes(Save("again")));
    ASSERT_EQ(again.size(), 6u);
    EXPECT_EQ(again[2], plain[2]);
    EXPECT_EQ(again[4], plain[4]);
    ExpectFieldsInPlace(again[2], '2', r, "123456783");
    ExpectFieldsInPlace(again[4], '4', r, "123456791");
}

TEST_F(PinnedWriter, RowLimitOnBothSides)
{
    std::string problem;
    std::string record = Padded("2     123456783");
    record.replace(57, 1, "1");
    record.replace(92, 7, "1      ");
    record.replace(99, 16, "5               ");
    EXPECT_FALSE(CounterpartyLine(TSide::Suppliers, 100000, record, problem));
    EXPECT_EQ(problem, "Η αποθήκευση σε αρχείο απέτυχε: Η λίστα των προμηθευτών έχει περισσότερες από 99999 εγγραφές.");
    std::string out = "kept";
    EXPECT_FALSE(AppendCounterpartyLine(out, TSide::Customers, 100000, record, problem));
    EXPECT_EQ(out, "kept");
    auto line = CounterpartyLine(TSide::Customers, 99999, record, problem);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, 6), "299999");
    EXPECT_EQ(line->size(), 150u);
}

TEST_F(PinnedWriter, TotalsLineOfACustomerListWithOnlyAPublicValue)
{
    doc.SetPublicValueText(TSide::Customers, "100");
    auto lines = FileLines(ReadBytes(Save()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], Padded("3999999011"
                               "0000000000010000"
                               "999999999"
                               "0000000000000000"
                               "0000000000010000"));
}

TEST_F(PinnedWriter, InstallationTypeIsRightAlignedAndReadBackWithoutBlanks)
{
    for (const char* type : {"0", "E", "1234"}) {
        TStatementHeader h = doc.Header();
        h.Installation = type;
        std::string line = HeaderLine(h);
        EXPECT_EQ(line.substr(146), std::string(4 - std::string(type).size(), ' ') + type);
        TStatementHeader back;
        FillHeaderFromLine(back, line);
        EXPECT_EQ(back.Installation, type);
    }
}

TEST_F(PinnedWriter, FullLengthEmailHoldsPositions113To146AndReadsBack)
{
    const std::string email = "firstname.lastname@company-name.gr";
    ASSERT_EQ(email.size(), 34u);
    doc.SetHeaderText(TStatementField::Email, email);
    doc.SetHeaderText(TStatementField::Installation, "1234");
    std::string line = HeaderLine(doc.Header());
    ASSERT_EQ(line.size(), 150u);
    EXPECT_EQ(line.substr(112, 34), email);
    EXPECT_EQ(line.substr(146), "1234");
    EXPECT_EQ(line[111], ' ');  // the fax before it is empty
    TStatementHeader back;
    FillHeaderFromLine(back, line);
    EXPECT_EQ(back.Email, email);
    EXPECT_EQ(back.Installation, "1234");

    // Through a saved and reopened file as well.
    auto lines = FileLines(ReadBytes(Save()));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(112, 34), email);
    doc.SetHeaderText(TStatementField::Email, "typed");
    ui.Completed(doc.Open(dir.File("out")));
    EXPECT_EQ(doc.Header().Email, email);
}

// -------------------------------------------------------------------- Open

class PinnedOpen : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
        ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΠΡΩΤΟΣ", "0", "10", "0,5"}));
        ASSERT_TRUE(Add(TSide::Customers, {"123456780", "ΔΕΥΤΕΡΟΣ", "1", "12", "1234,5"}));
        ASSERT_TRUE(Add(TSide::Suppliers, {"000000104", "ΤΡΙΤΟΣ", "0", "2", "0"}));
        saved = ReadBytes(Save("saved"));
        lines = FileLines(saved);
        ASSERT_EQ(lines.size(), 7u);  // form, header, 2 customers, totals, supplier, totals
        // What is being edited now differs from the saved file.
        doc.SetHeaderText(TStatementField::CompanyName, "TYPED");
        doc.SetPublicValueText(TSide::Suppliers, "7");
        record2 = Working("record2");
        generaldata = Working("generaldata");
        ui.Take();
    }
    // The statement being edited is as SetUp left it.
    void ExpectUnchanged()
    {
        EXPECT_TRUE(doc.List(TSide::Customers).Active());
        EXPECT_TRUE(doc.List(TSide::Suppliers).Active());
        EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);
        EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), 1);
        EXPECT_EQ(
            cp1253::ToUtf8(doc.List(TSide::Customers).FieldTextAt(1, doc.List(TSide::Customers).Field(field::Name))),
            "ΔΕΥΤΕΡΟΣ");
        EXPECT_EQ(Working("record2"), record2);
        EXPECT_EQ(Working("generaldata"), generaldata);
        EXPECT_EQ(doc.Header().CompanyName, "TYPED");
        EXPECT_EQ(doc.PublicValue(TSide::Suppliers), "7");
        EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "22");
        EXPECT_EQ(doc.ValueTotalText(TSide::Customers), "1235,00");
    }
    // What Open showed.
    std::vector<std::string> Opened(const std::string& bytes)
    {
        WriteBytes(dir.File("in"), bytes);
        ui.Take();
        ui.Completed(doc.Open(dir.File("in")));
        return ui.Take();
    }
    std::string saved, record2, generaldata;
    std::vector<std::string> lines;
};

TEST_F(PinnedOpen, LineOneCharacterTooLongOrTooShort)
{
    const std::vector<std::string> lengthRefusal = {
        "beep", "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο"};
    std::vector<std::string> longer = lines, shorter = lines, lastLonger = lines;
    longer[2] += " ";          // a customer line of 151
    shorter[5].pop_back();     // a supplier line of 149
    lastLonger.back() += "0";  // the last line, 151
    for (const auto& variant : {longer, shorter, lastLonger}) {
        EXPECT_EQ(Opened(Joined(variant)), lengthRefusal);
        ExpectUnchanged();
    }
}

TEST_F(PinnedOpen, EmptyFileIsNoStatementWithoutABeep)
{
    EXPECT_EQ(Opened(""), std::vector<std::string>{"message: Μη έγκυρο αρχείο"});
    ExpectUnchanged();
}

TEST_F(PinnedOpen, WorkingFilesThatCannotBeStagedLeaveTheListsOpen)
{
    // A working file marked read-only is never replaced, whoever runs the test.
    for (const char* name : {"generaldata", "record4"}) {
        SCOPED_TRACE(name);
        ::chmod(doc.WorkingFile(name).c_str(), 0444);
        auto log = Opened(saved);
        ::chmod(doc.WorkingFile(name).c_str(), 0644);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].rfind("error: ", 0), 0u) << log[0];
        ExpectUnchanged();
    }
}

TEST_F(PinnedOpen, FullDiskWhileStagingLargeListsLeavesTheListsOpen)
{
    // Lists large enough to be written out while they are staged.
    std::vector<std::string> big(lines.begin(), lines.begin() + 2);
    for (int i = 0; i < 8000; ++i) big.push_back(lines[2]);
    std::string bytes = Joined(big);
    WriteBytes(dir.File("big"), bytes);
    ui.Take();
    {
        FileSizeLimit limit(bytes.size() / 2);
        ui.Completed(doc.Open(dir.File("big")));
    }
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("error: ", 0), 0u) << log[0];
    ExpectUnchanged();
}

// A full disk met when a small list's staged file is written out: every
// staged file is written out whole before the lists close and any file is
// replaced.
TEST_F(PinnedOpen, FullDiskWhileStagingSmallListsLeavesTheListsOpen)
{
    try {
        FileSizeLimit limit(200);  // generaldata (152 bytes) fits, record2 (304) does not
        ui.Completed(doc.Open(dir.File("saved")));
    } catch (const std::exception& e) {
        ADD_FAILURE() << "escaped: " << e.what();
    }
    auto log = ui.Take();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("error: ", 0), 0u) << log.back();
    ExpectUnchanged();
}

TEST_F(PinnedOpen, KindFollowsTheFormCodeBothWays)
{
    doc.ChooseKind(true);
    doc.MarkSaved();
    EXPECT_TRUE(Opened(saved).empty());
    EXPECT_FALSE(doc.Header().Credit);
    EXPECT_TRUE(doc.UnsavedChanges());

    // A Greek capital Iota in a debit form code is accepted and stays debit.
    std::vector<std::string> greek = lines;
    greek[0].replace(0, 9, "0\xC9L01    ");
    doc.ChooseKind(true);
    doc.MarkSaved();  // else Open first asks about saving
    EXPECT_TRUE(Opened(Joined(greek)).empty());
    EXPECT_FALSE(doc.Header().Credit);
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);
    greek[0].replace(0, 9, "0\xC9l01.PIS");
    doc.MarkSaved();
    EXPECT_TRUE(Opened(Joined(greek)).empty());
    EXPECT_TRUE(doc.Header().Credit);
}

TEST_F(PinnedOpen, TotalsOfAValueInAnotherForm)
{
    std::string row = lines[2];
    row.replace(92, 7, "0000003");
    row.replace(99, 16, "-000000000000500");
    EXPECT_TRUE(Opened(Joined({lines[0], lines[1], row})).empty());
    ASSERT_EQ(doc.List(TSide::Customers).RecordCount(), 1);
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "3");
    EXPECT_EQ(doc.ValueTotalText(TSide::Customers), "-5,00");

    // Among plain rows, on the supplier side.
    std::string supplier = row;
    supplier[0] = '4';
    EXPECT_TRUE(Opened(Joined({lines[0], lines[1], lines[5], supplier})).empty());
    ASSERT_EQ(doc.List(TSide::Suppliers).RecordCount(), 2);
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Suppliers), "5");
    EXPECT_EQ(doc.ValueTotalText(TSide::Suppliers), "-5,00");
}

// ------------------------------------------------------- checks before saving

class PinnedChecks : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
    }
    std::vector<std::string> Check()
    {
        ui.Take();
        EXPECT_TRUE(ui.Refused(doc.CheckBeforeSave()));
        return ui.Take();
    }
    // Rows posted under other numbers and then edited to these, which the
    // check on post leaves to the save.
    void AddEdited(TSide side, const std::vector<std::string>& afms)
    {
        int n = 0;
        for (const auto& afm : afms) {
            std::string unique = "10000000" + std::to_string(++n);
            ASSERT_TRUE(Add(side, {unique, "A", "1", "2", "5"})) << ui.log.back();
            doc.List(side).Edit();
            doc.List(side).Field(field::Afm).SetAsString(afm);
            ASSERT_TRUE(Post(side));
        }
    }
};

TEST_F(PinnedChecks, YearIsReportedBeforeEveryOtherHeaderProblem)
{
    const std::vector<std::string> year = {
        "beep",
        "message: Η αποθήκευση σε αρχείο απέτυχε: Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία και "
        "επαναλάβετε την αποθήκευση.",
        "focus: YearOfData"};
    doc.SetHeaderText(TStatementField::Year, "1899");
    doc.SetHeaderText(TStatementField::TaxNumber, "123456789");
    EXPECT_EQ(Check(), year);
    doc.SetHeaderText(TStatementField::Installation, "");
    doc.SelectTaxOffice(-1);
    EXPECT_EQ(Check(), year);
}

// A control character would split the header line or hide inside it: the
// save names the field as the window labels it, and writes nothing.
TEST_F(PinnedChecks, AHeaderValueHoldingAControlCharacterIsNotSaved)
{
    const std::tuple<TStatementField, std::string, std::string> values[] = {
        {TStatementField::CompanyName, "ACME\r\nSA", "«Επωνυμία Επιχείρησης»: ο χαρακτήρας ελέγχου U+000D"},
        {TStatementField::Town, std::string("A\0B", 3), "«Διεύθυνση - Πόλη»: ο χαρακτήρας ελέγχου U+0000"},
        {TStatementField::Email, "a@b\x1a", "«Email»: ο χαρακτήρας ελέγχου U+001A"},
        {TStatementField::Activity, "\x01", "«Αντικείμενο Εργασιών (Επάγγελμα)»: ο χαρακτήρας ελέγχου U+0001"},
        {TStatementField::Street, "ODOS\x7f", "«Οδός»: ο χαρακτήρας ελέγχου U+007F"},
        {TStatementField::StreetNumber, "1\u0081", "«Αριθμός»: ο χαρακτήρας ελέγχου U+0081"},
    };
    for (const auto& [control, value, problem] : values) {
        doc.SetHeaderText(control, value);
        const std::string path = Save();
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(ui.Take(), (std::vector<std::string>{
                                 "message: Η αποθήκευση σε αρχείο απέτυχε: Γενικά στοιχεία, πεδίο " + problem +
                                     " δεν επιτρέπεται σε πεδίο. Διορθώστε το και επαναλάβετε την αποθήκευση.",
                                 "focus: " + std::string(FieldHandle(control))}));
        doc.SetHeaderText(control, "");
    }
}

TEST_F(PinnedChecks, TheRepeatedNumberWhoseFirstRowComesFirstIsNamed)
{
    // A, B, B, A: B's pair is closer together, A's starts earlier.
    const std::string a = "222222222", b = "111111111";
    AddEdited(TSide::Customers, {a, b, b, a});
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep", "message: Η αποθήκευση σε αρχείο απέτυχε: Ο ΑΦΜ: " + a +
                                       " έχει εισαχθεί 2 φορές στους πελάτες. Διορθώστε το και επαναλάβετε την "
                                       "αποθήκευση."}));
}

TEST_F(PinnedChecks, SupplierNumbersAtSave)
{
    const std::string a = "222222222", b = "111111111";
    AddEdited(TSide::Suppliers, {a, b, b, a});
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep", "message: Η αποθήκευση σε αρχείο απέτυχε: Ο ΑΦΜ: " + a +
                                       " έχει εισαχθεί 2 φορές στους προμηθευτές. Διορθώστε το και επαναλάβετε την "
                                       "αποθήκευση."}));
}

TEST_F(PinnedChecks, SupplierOwnNumberOnTheLastOfSeveralRows)
{
    AddEdited(TSide::Suppliers, {"111111111", "222222222", "000000050"});
    doc.SetHeaderText(TStatementField::TaxNumber, "000000050");  // changed after the rows were posted
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "beep",
                           "message: Η αποθήκευση σε αρχείο απέτυχε: Ο ΑΦΜ: 000000050 στους προμηθευτές "
                           "είναι ίδιος με τον ΑΦΜ Υπόχρεου.  Διορθώστε το και επαναλάβετε την αποθήκευση."}));
}

// ------------------------------------------------------------ row validation

class PinnedRows : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        doc.SetHeaderText(TStatementField::TaxNumber, "999999999");
    }
    // The messages shown when the row is posted; empty when accepted.
    std::vector<std::string> Posted(TSide side, const Row& row)
    {
        ui.Take();
        if (Add(side, row)) return {};
        auto log = ui.Take();
        doc.List(side).Cancel();
        return log;
    }
    static std::vector<std::string> Refusal(const std::string& utf8) { return {"beep", Message(utf8)}; }
};

TEST_F(PinnedRows, InvalidTaxNumberComesBeforeTheZeroValueRule)
{
    EXPECT_EQ(Posted(TSide::Customers, {"123456789", "A", "0", "1", "0"}),
              Refusal("Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"));
    EXPECT_EQ(Posted(TSide::Suppliers, {"123456789", "A", "0", "1", "0"}),
              Refusal("Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή προμηθευτή"));
}

TEST_F(PinnedRows, ZeroValueNeedsTwoInvoicesOnBothSides)
{
    const auto zeroRule = Refusal("Εφόσον η αξία είναι 0, ο αριθμός τιμολογίων πρέπει να είναι >1 ");
    EXPECT_EQ(Posted(TSide::Suppliers, {"000000050", "A", "0", "1", "0"}), zeroRule);
    EXPECT_EQ(Posted(TSide::Suppliers, {"000000050", "A", "0", "1", "0,00"}), zeroRule);
    EXPECT_EQ(Posted(TSide::Customers, {"000000050", "A", "0", "2", "0"}), std::vector<std::string>{});
    EXPECT_EQ(Posted(TSide::Customers, {"000000104", "A", "0", "1", "0,01"}), std::vector<std::string>{});
}

TEST_F(PinnedRows, SupplierOwnNumberAndDuplicateOnPost)
{
    EXPECT_EQ(Posted(TSide::Suppliers, {"999999999", "A", "1", "2", "5"}),
              Refusal("O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου."));
    EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), 0);

    ASSERT_TRUE(Add(TSide::Suppliers, {"123456783", "A", "0", "2", "5"}));
    ASSERT_TRUE(Add(TSide::Suppliers, {"000000050", "B", "0", "2", "5"}));
    EXPECT_EQ(Posted(TSide::Suppliers, {"123456783", "C", "0", "2", "5"}),
              Refusal("Ο ΑΦΜ: 123456783 έχει εισαχθεί 2 φορές στους προμηθευτές"));
    // The last row too.
    EXPECT_EQ(Posted(TSide::Suppliers, {"000000050", "C", "0", "2", "5"}),
              Refusal("Ο ΑΦΜ: 000000050 έχει εισαχθεί 2 φορές στους προμηθευτές"));
    EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), 2);
}

TEST_F(PinnedRows, SupplierValueIsStoredWithAtMostTwoDecimals)
{
    std::pair<const char*, const char*> forms[] = {
        {"12,345", "12,35"}, {"0,005", "0,01"}, {"12,50", "12,5"}, {"0012", "12"}, {"5,999", "6"}};
    for (auto [typed, stored] : forms) {
        ASSERT_TRUE(Add(TSide::Suppliers, {"123456783", "A", "0", "2", typed})) << typed;
        EXPECT_EQ(doc.List(TSide::Suppliers).Field(field::Value).AsString(), stored) << typed;
        doc.List(TSide::Suppliers).Delete();
    }
}

// -------------------------------------------------------------------- sort

class PinnedSort : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        doc.SetHeaderText(TStatementField::TaxNumber, "999999999");
    }
    void AddNamed(TSide side, const std::string& afm, const std::string& name)
    {
        ASSERT_TRUE(Add(side, {afm, name, "1", "1", "5"})) << ui.log.back();
    }
    std::vector<std::string> Names(TSide side)
    {
        auto& list = doc.List(side);
        std::vector<std::string> names;
        for (int i = 0; i < list.RecordCount(); ++i)
            names.push_back(cp1253::ToUtf8(list.FieldTextAt(i, list.Field(field::Name))));
        return names;
    }
};

TEST_F(PinnedSort, SupplierSortStartsAfterTheTaxNumber)
{
    // Tax numbers in the opposite order to the names.
    AddNamed(TSide::Suppliers, "100000003", "ΑΛΦΑ");
    AddNamed(TSide::Suppliers, "100000002", "ΒΗΤΑ");
    AddNamed(TSide::Suppliers, "100000001", "ΓΑΜΜΑ");
    AddNamed(TSide::Suppliers, "100000000", "ΑΑΑ");
    ui.Tell(doc.SortList(TSide::Suppliers));
    EXPECT_EQ(Names(TSide::Suppliers), (std::vector<std::string>{"ΑΑΑ", "ΑΛΦΑ", "ΒΗΤΑ", "ΓΑΜΜΑ"}));
    EXPECT_EQ(Working("record4").substr(6, 9), "100000000");
}

TEST_F(PinnedSort, RewriteFailingAfterTheListWasClosedReopensIt)
{
    AddNamed(TSide::Customers, "100000001", "Β");
    AddNamed(TSide::Customers, "100000002", "Α");
    std::string before = Working("record2");
    ASSERT_EQ(before.size(), 304u);
    ui.Take();
    {
        // The two rows are buffered and written out only when the sorted
        // file is committed, after the list has let go of the old one.
        FileSizeLimit limit(200);
        ui.Tell(doc.SortList(TSide::Customers));
    }
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[3], "beep");
    EXPECT_EQ(log[4].rfind("message: Η ταξινόμηση απέτυχε: δεν ήταν δυνατή η εγγραφή του αρχείου εργασίας ", 0), 0u)
        << log[4];
    EXPECT_EQ(Working("record2"), before);
    EXPECT_TRUE(doc.List(TSide::Customers).Active());
    EXPECT_EQ(Names(TSide::Customers), (std::vector<std::string>{"Β", "Α"}));
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "2");
}
