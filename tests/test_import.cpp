// The import of counterparties from a workbook: the question, the checking
// pass and its messages in their order, the inserting pass through the row
// validation, and what a complete or interrupted import leaves behind.
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "StatementFixture.h"
#include "common/Text.h"
#include "entry/TaxNumber.h"
#include "import/Import.h"
#include "outputs/ListWorkbook.h"

using namespace epinax;
using namespace epinax::test;

namespace {

using Cells = std::vector<TCell>;

TCell T(const char* utf8) { return TCell::Text(G(utf8)); }
TCell N(double number) { return TCell::Number(number); }
TCell E() { return {}; }

TSheetBlock Block(const std::vector<Cells>& rows, int columns = 10)
{
    TSheetBlock block;
    block.rows = static_cast<int>(rows.size());
    block.columns = columns;
    for (const Cells& row : rows) {
        Cells stored = row;
        stored.resize(static_cast<size_t>(block.StoredColumns()));
        block.cells.insert(block.cells.end(), stored.begin(), stored.end());
    }
    return block;
}

// A counterparty row: tax number, name, obliged, invoices, value.
Cells SheetRow(TCell afm, const char* name, TCell obliged, TCell invoices, TCell value)
{
    return {afm, T(name), T("ΕΜΠΟΡΙΟ"), obliged, T("ΑΘΗΝΑ"), T("ΟΔΟΣ"), N(12), T("10564"), invoices, value};
}

const std::string kInsertFailure =
    "message: Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή διακόπηκε";

class Import : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
        doc.MarkSaved();
    }
    // Imports `block` into the list of `side`.
    std::vector<std::string> Run(const TSheetBlock& block, TSide side = TSide::Customers)
    {
        return Told(ImportWorkbook(doc, side, dir.File("book.xlsx"), [&](const std::string&) { return block; }));
    }
    // What the user was told: the list's own messages, then the import's.
    std::vector<std::string> Told(const TImportOutcome& outcome)
    {
        auto log = ui.Take();
        std::erase(log, "progress done");
        if (outcome.beep) log.push_back("beep");
        for (const std::string& message : outcome.messages) log.push_back("message: " + message);
        return log;
    }
    std::string Field(TSide side, int row, std::size_t field)
    {
        auto& list = doc.List(side);
        return cp1253::ToUtf8(list.FieldTextAt(row, list.Field(field)));
    }
    static std::string RowMessage(int row, const char* ending)
    {
        return "message: Λάθος στη γραμμή " + std::to_string(row) + " του αρχείου: " + ending +
               " Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
    }
    // Everything of the customers that an import which adds nothing must
    // leave as it was.
    std::vector<std::string> Customers()
    {
        const auto& list = doc.List(TSide::Customers);
        return {Working("record2"),
                Working("record21"),
                doc.CountText(TSide::Customers),
                doc.InvoiceTotalText(TSide::Customers),
                doc.ValueTotalText(TSide::Customers),
                std::to_string(list.RecordCount()),
                std::to_string(static_cast<int>(list.State())),
                doc.UnsavedChanges() ? "unsaved" : "saved"};
    }
};

}  // namespace

TEST_F(Import, AGoodSheetGoesInWholeAndSwitchesToItsTab)
{
    ASSERT_EQ(doc.ActivePage(), 0);
    auto log = Run(Block({SheetRow(T("094014201"), "ΠΑΠΑΔΟΠΟΥΛΟΣ", N(0), N(3), N(1500.5)),
                          SheetRow(N(104), "Κώστας", T("1"), T("1"), N(-250)),
                          SheetRow(T("998877665"), "ALPHA", N(1), N(2), T("0,5"))}),
                   TSide::Suppliers);
    EXPECT_EQ(log, std::vector<std::string>{});
    auto& list = doc.List(TSide::Suppliers);
    ASSERT_EQ(list.RecordCount(), 3);
    EXPECT_EQ(Field(TSide::Suppliers, 0, field::Afm), "094014201");
    EXPECT_EQ(Field(TSide::Suppliers, 1, field::Afm), "000000104");  // the number's lost zeros back
    EXPECT_EQ(Field(TSide::Suppliers, 1, field::Value), "250");      // a negative amount stored positive
    EXPECT_EQ(Field(TSide::Suppliers, 0, field::Value), "1500,5");
    EXPECT_EQ(Field(TSide::Suppliers, 0, field::StreetNo), "12");
    EXPECT_EQ(Field(TSide::Suppliers, 0, field::RecordType), "4");
    EXPECT_EQ(doc.ActivePage(), 1);
    EXPECT_TRUE(doc.UnsavedChanges());
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Suppliers), "6");
    EXPECT_EQ(doc.ValueTotalText(TSide::Suppliers), G("1751,00"));
    EXPECT_EQ(doc.CountText(TSide::Suppliers), "3 Εγγραφές (Προμηθευτές)");
    // The working files hold the imported rows, as after any post.
    EXPECT_EQ(FileLines(Working("record4")).size(), 3u);
    EXPECT_EQ(Working("record22"), Working("record4"));
}

TEST_F(Import, TheCheckingPassStopsAtTheFirstBadRowInsertingNothing)
{
    const Cells good = SheetRow(T("094014201"), "Α", N(0), N(1), N(1));
    struct Case {
        Cells bad;
        std::string message;
    } cases[] = {
        {{T("ΑΦΜ"), T("ΕΠΩΝΥΜΙΑ"), T("ΕΠΑΓΓΕΛΜΑ"), T("ΥΠΟΧΡΕΟΣ")},
         RowMessage(2, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.")},
        {{}, RowMessage(2, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.")},  // a blank row
        {SheetRow(T("998877665"), "Β", N(1.5), N(1), N(1)),
         RowMessage(2, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.")},
        {SheetRow(T("998877665"), "Β", T("1 "), N(1), N(1)),
         RowMessage(2, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.")},
        {SheetRow(T("998877665"), "Β", N(2), N(1), N(1)),
         RowMessage(2, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.")},
        {SheetRow(T("998877665"), "Β", N(1), N(1.5), N(1)),
         RowMessage(2, "Η στήλη Αριθμός Τιμολογίων (Νο 9) πρέπει να έχει ακέραια τιμή.")},
        {SheetRow(T("998877665"), "Β", N(1), N(1), T("1.5")),
         RowMessage(2, "Η στήλη Αξία (Νο 10) πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα).")},
        {SheetRow(T("123456789"), "Β", T("0"), N(1), N(1)),
         RowMessage(2, "H στήλη ΑΦΜ (Νο 1) δεν περιέχει αποδεκτό ΑΦΜ.")},
        {SheetRow(T("123456783"), "Β", N(1), N(1), N(1)),
         RowMessage(2, "Το ΑΦΜ (στήλη Νο 1) είναι ίδιο με το ΑΦΜ του Υπόχρεου.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        auto log = Run(Block({good, c.bad, good}));
        EXPECT_EQ(log, std::vector<std::string>{c.message});
        EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 0);
        EXPECT_FALSE(doc.UnsavedChanges());
    }
    // The Latin H of that one message is the message's own.
    auto problem = FirstRowProblem(Block({SheetRow(T("123456789"), "Β", N(0), N(1), N(1))}), "");
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("H στήλη"), std::string::npos);
    // Obliged 1: no tax number check in this pass.
    EXPECT_FALSE(FirstRowProblem(Block({SheetRow(T("123456789"), "Β", N(1), N(1), N(1))}), ""));
}

// A row the checks pass but the post would refuse, or whose number does not
// fit its field: its message, then the import's, and not one row goes in.
TEST_F(Import, ARowThePostWouldRefuseLetsNoRowIn)
{
    ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΗΔΗ"}));
    doc.MarkSaved();
    const std::vector<std::string> before = Customers();
    const std::string beep = "beep";
    struct Case {
        Cells bad;
        std::vector<std::string> shown;
    } cases[] = {
        {SheetRow(T("094014201"), "Γ", N(0), N(1), N(1)),  // a repeat of the first row
         {beep, "message: Ο ΑΦΜ: 094014201 έχει εισαχθεί 2 φορές στους πελάτες"}},
        {SheetRow(N(50), "Γ", N(0), N(1), N(1)),
         {beep, "message: Ο ΑΦΜ: 000000050 έχει εισαχθεί 2 φορές στους πελάτες"}},
        {SheetRow(E(), "Γ", N(1), N(1), N(1)),
         {beep, "message: Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, Αριθ. τιμολογίων, Αξία"}},
        {SheetRow(T("000000104"), "Γ", N(0), N(0), N(1)), {beep, "message: Ο αριθμός τιμολογίων πρέπει να είναι >0 "}},
        {SheetRow(T("000000104"), "Γ", N(0), N(1), N(0)),
         {beep, "message: Εφόσον η αξία είναι 0, ο αριθμός τιμολογίων πρέπει να είναι >1 "}},
        {SheetRow(T("000000104"), "Γ", N(0), N(1), N(1e16)),
         {RowMessage(3, "Η στήλη Αξία (Νο 10) πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα).")}},
        {SheetRow(T("000000104"), "Γ", N(0), N(12345678), N(1)),
         {RowMessage(3, "Η στήλη Αριθμός Τιμολογίων (Νο 9) πρέπει να έχει ακέραια τιμή.")}},
        {SheetRow(T("0123456789"), "Γ", N(1), N(1), N(1)),
         {RowMessage(3, "H στήλη ΑΦΜ (Νο 1) δεν περιέχει αποδεκτό ΑΦΜ.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown.back());
        auto log = Run(Block({SheetRow(T("094014201"), "Α", N(0), N(2), N(10)),
                              SheetRow(T("998877665"), "Β", N(1), N(1), N(5)), c.bad}));
        std::vector<std::string> expected;
        expected.insert(expected.end(), c.shown.begin(), c.shown.end());
        expected.push_back(kInsertFailure);
        EXPECT_EQ(log, expected);
        EXPECT_EQ(Customers(), before);
    }
    // No row left pending: the other list takes a sheet at once.
    EXPECT_EQ(Run(Block({SheetRow(T("094014201"), "Α", N(0), N(2), N(10))}), TSide::Suppliers),
              std::vector<std::string>{});
    EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), 1);
}

// Stopped in any pass, nothing goes in; stopped while inserting, the user
// hears that nothing was added.
TEST_F(Import, StoppingByTheUserInAnyPassAddsNothing)
{
    auto block =
        Block({SheetRow(T("094014201"), "Α", N(0), N(2), N(10)), SheetRow(T("998877665"), "Β", N(1), N(1), N(5)),
               SheetRow(T("000000050"), "Γ", N(0), N(1), N(1))});
    const std::vector<std::string> before = Customers();
    ui.stopAtProgress = 1;  // the second row of the checking pass
    EXPECT_EQ(Run(block), std::vector<std::string>{});
    EXPECT_EQ(Customers(), before);

    ui.progressCalls = 0;
    ui.stopAtProgress = 3 + 3 + 2;  // the third row of the inserting pass
    EXPECT_EQ(Run(block), (std::vector<std::string>{"message: Η εισαγωγή διακόπηκε· δεν προστέθηκε καμία γραμμή."}));
    EXPECT_EQ(Customers(), before);
}

// Whatever breaks off the inserting pass, the list is put back: an error,
// or a post that raises (which the row validation never refused).
TEST_F(Import, AnErrorWhileInsertingPutsTheListBack)
{
    ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΗΔΗ"}));
    doc.MarkSaved();
    const std::vector<std::string> before = Customers();
    const TSheetBlock block =
        Block({SheetRow(T("094014201"), "Α", N(0), N(2), N(10)), SheetRow(T("998877665"), "Β", N(1), N(1), N(5))});
    auto& list = doc.List(TSide::Customers);
    int inserts = 0;
    auto newRecord = list.OnNewRecord;
    list.OnNewRecord = [&](TFixedFormatDataSet& inserted) {
        newRecord(inserted);
        if (++inserts == 2) throw EFileError("written no more", 28);
    };
    EXPECT_THROW(Run(block), EFileError);
    EXPECT_EQ(Customers(), before);
    ui.Take();

    list.OnNewRecord = newRecord;
    auto validate = list.BeforePost;
    list.BeforePost = [&](TFixedFormatDataSet& posted) {
        if (list.PendingInsertIndex() == 2) throw EConvertError("'x' is not a valid integer value");
        validate(posted);
    };
    EXPECT_EQ(Run(block), (std::vector<std::string>{kInsertFailure}));
    EXPECT_EQ(Customers(), before);
}

// What each column becomes in the record.
TEST_F(Import, CellsBecomeTheFieldsTheyMean)
{
    Cells first = SheetRow(N(94014201), "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ ΤΕΛΟΣ", N(0), T("00000012"), N(5));
    first[5] = TCell::Text(G("ΟΔΟΣ\r\nΑ\tΒ\x0B"));  // an address on two lines
    ASSERT_FALSE(CheckAfm("012345678"));
    auto log = Run(Block({first, SheetRow(N(12345678), "Β", N(1), T("      +5"), N(5))}));
    EXPECT_EQ(log, std::vector<std::string>{});
    auto& list = doc.List(TSide::Customers);
    ASSERT_EQ(list.RecordCount(), 2);
    EXPECT_EQ(list.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Field(TSide::Customers, 0, field::Afm), "094014201");  // eight digits get their zero back
    EXPECT_EQ(Field(TSide::Customers, 1, field::Afm), "12345678");   // but not into an invalid tax number
    EXPECT_EQ(Field(TSide::Customers, 0, field::NoTimologion), "12");
    EXPECT_EQ(Field(TSide::Customers, 1, field::NoTimologion), "5");
    EXPECT_EQ(Field(TSide::Customers, 0, field::Street), "ΟΔΟΣ  Α Β");
    EXPECT_EQ(Field(TSide::Customers, 0, field::Name), "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ ΤΕ");  // cut to its 27
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "17");
}

TEST_F(Import, WhyAWorkbookCannotBeReadIsSaid)
{
    const std::string failure = "message: Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου.\r\n";
    EXPECT_EQ(Run(Block({{T("094014201"), T("Α"), T("Ε"), N(0)}}, 9)),
              (std::vector<std::string>{
                  failure + "Το πρώτο φύλλο του αρχείου φτάνει μόνο ως τη στήλη I· κάθε γραμμή χρειάζεται τις "
                            "στήλες A έως J."}));
    EXPECT_EQ(Run(Block({{T("Α1")}}, 1)).back().find(failure + "Το πρώτο φύλλο του αρχείου φτάνει μόνο ως τη στήλη A·"),
              0u);
    EXPECT_EQ(Run(Block({}, 0)),
              (std::vector<std::string>{failure + "Το πρώτο φύλλο του αρχείου δεν έχει καμία γραμμή."}));
    auto fromReader = [&](auto error) {
        return Told(ImportWorkbook(doc, TSide::Customers, dir.File("none.xlsx"),
                                   [&](const std::string&) -> TSheetBlock { throw error; }));
    };
    EXPECT_EQ(fromReader(EWorkbookError("Το αρχείο προστατεύεται με κωδικό.")).back(),
              failure + "Το αρχείο προστατεύεται με κωδικό.");
    EXPECT_EQ(fromReader(EWorkbookReadingStopped()), std::vector<std::string>{});
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 0);
}

TEST_F(Import, ASheetThatWouldOverfillTheListAddsNothing)
{
    Run(Block({SheetRow(T("094014201"), "Α", N(0), N(2), N(10))}));
    const auto before = Customers();
    const TSheetBlock full = Block(std::vector<Cells>(99999, SheetRow(T("998877665"), "Β", N(0), N(2), N(10))));
    EXPECT_EQ(Run(full), (std::vector<std::string>{"message: Η λίστα έχει ήδη 1 εγγραφές και το φύλλο 99999 γραμμές· "
                                                   "μια λίστα χωράει έως 99999 εγγραφές. Δεν προστέθηκε καμία "
                                                   "γραμμή."}));
    EXPECT_EQ(Customers(), before);
}

TEST(ImportCells, NumbersBecomeTheirShortestTextWithTheGreekComma)
{
    EXPECT_EQ(CellText(N(1)), "1");
    EXPECT_EQ(CellText(N(1500.5)), G("1500,5"));
    EXPECT_EQ(CellText(N(-250)), "-250");
    EXPECT_EQ(CellText(N(0.1)), G("0,1"));
    EXPECT_EQ(CellText(N(94014201)), "94014201");
    EXPECT_EQ(CellText(E()), "");
    EXPECT_EQ(CellText(T("κείμενο")), G("κείμενο"));
}

// Each reader's file goes through the same import.
TEST_F(Import, RealWorkbooksOfEveryKind)
{
    for (const char* name : {"import-good.xlsx", "import-good.ods", "import-good.xls", "import-good.csv"}) {
        SCOPED_TRACE(name);
        std::string path = std::string(EPINAX_TEST_DATA) + "/workbooks/" + name;
        doc.MarkSaved();
        New();
        doc.MarkSaved();
        ImportWorkbook(doc, TSide::Customers, path, ReadFirstSheet);
        EXPECT_EQ(ui.Take(), std::vector<std::string>{"progress done"});
        EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 2);
        EXPECT_EQ(Field(TSide::Customers, 1, field::Afm), "000000104");
        EXPECT_EQ(Field(TSide::Customers, 0, field::Name), "ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε.");
        EXPECT_EQ(doc.ValueTotalText(TSide::Customers), G("1750,50"));
        EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "4");
    }
}

// Workbooks as a spreadsheet program wrote them: a heading row; a title and
// headings over columns in another order, with columns between and amounts
// as text "1.234,50"; the list on the second sheet with tax numbers as
// numbers. The proposed layout of each brings in the same three rows.
TEST_F(Import, ProposedLayoutsBringInRealWorkbooks)
{
    struct Case {
        const char* file;
        const char* sheet;
        int headingRows;
    } cases[] = {{"layout-heading.xlsx", "", 1},
                 {"layout-two-headings.ods", "", 2},
                 {"layout-second-sheet.xls", "Λίστα", 1},
                 {"layout-second-sheet.xlsx", "Λίστα", 1},
                 {"layout-second-sheet.ods", "Λίστα", 1}};
    const std::vector<std::string> expected = {"094014201|ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε.|ΕΜΠΟΡΙΟ|0|ΑΘΗΝΑ|ΣΤΑΔΙΟΥ|12|10564|3|1234,5",
                                               "045678904|ΓΕΩΡΓΙΟΥ Ο.Ε.|ΞΥΛΕΙΑ|0|ΠΑΤΡΑ|ΚΟΡΙΝΘΟΥ|5|26221|2|800",
                                               "800123456|ΝΙΚΟΛΑΟΥ|ΛΟΓΙΣΤΗΣ|1|ΛΑΡΙΣΑ|ΚΥΠΡΟΥ|7|41222|1|150,25"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(EPINAX_TEST_DATA) + "/workbooks/" + c.file;
        TSheetChoice choice{std::string(c.sheet), 1, TSheetBlock::kMaxKeptColumns};
        if (*c.sheet) {
            EXPECT_EQ(ReadSheetNames(path), (std::vector<std::string>{"Σύνοψη", "Λίστα"}));
        }
        const TSheetBlock sheet = ReadSheet(path, choice, [] { return true; });
        TImportLayout layout = ProposeLayout(sheet);
        EXPECT_EQ(layout.headingRows, c.headingRows);
        layout.sheet = choice;
        New();
        const TImportOutcome outcome = ImportWorkbook(
            doc, TSide::Customers, path, [&](const std::string&) { return sheet; }, layout);
        ASSERT_EQ(outcome.result, TImportResult::Imported) << outcome.messages.at(0);
        std::vector<std::string> rows;
        for (int row = 0; row < doc.List(TSide::Customers).RecordCount(); ++row) {
            std::string text;
            for (std::size_t field : kTypedFields)
                text +=
                    (text.empty() ? "" : "|") + std::string(TrimTrailingBlanks(Field(TSide::Customers, row, field)));
            rows.push_back(text);
        }
        EXPECT_EQ(rows, expected);
    }
}

// Every refused row is listed with the sheet's row and column, those of the
// checking pass and those the post would refuse, in the order of the rows;
// the user is told the first as before. Past 1000 the rest are counted.
TEST_F(Import, EveryRefusedRowAtOnce)
{
    TImportLayout layout;  // a heading row, the fields in other columns
    layout.headingRows = 1;
    layout.columns = {2, 0, TImportLayout::kEmpty, 1, 3, 4, 5, 6, 7, 8};
    auto row = [](TCell afm, TCell obliged, TCell invoices, TCell value) {
        return Cells{T("Β"), obliged, afm, T("ΑΘΗΝΑ"), T("ΟΔΟΣ"), N(1), T("10564"), invoices, value};
    };
    const TSheetBlock sheet = Block({{T("Επωνυμία")},
                                     row(T("094014201"), N(0), N(1), N(5)),
                                     row(T("094014201"), N(0), N(1), N(5)),
                                     row(T("045678904"), N(2), N(1), N(5)),
                                     row(T("123456789"), N(0), N(1), N(5))},
                                    9);
    const TImportOutcome outcome = ImportWorkbook(
        doc, TSide::Customers, "book.xlsx", [&](const std::string&) { return sheet; }, layout);
    EXPECT_EQ(outcome.result, TImportResult::Refused);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ("message: " + outcome.messages[0], RowMessage(4, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1."));
    std::vector<std::string> listed;
    for (const TRowProblem& problem : outcome.problems.listed)
        listed.push_back(std::to_string(problem.row) + problem.column + " " + problem.message);
    const std::string told = "message: ";  // RowMessage's start
    EXPECT_EQ(listed,
              (std::vector<std::string>{
                  "3C " + DuplicateAfmMessage(TSide::Customers, "094014201"),
                  "4B " + RowMessage(4, "Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1.").substr(told.size()),
                  "5C " + RowMessage(5, "H στήλη ΑΦΜ (Νο 1) δεν περιέχει αποδεκτό ΑΦΜ.").substr(told.size())}));
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), 0);

    const TSheetBlock many = Block(std::vector<Cells>(1005, row(T("094014201"), N(2), N(1), N(5))), 9);
    const TRowProblems problems = AllRowProblems(doc, TSide::Customers, many, TImportLayout{});
    EXPECT_EQ(problems.listed.size(), 1000u);
    EXPECT_EQ(problems.more, 5u);
}

// What the export writes comes back through the proposal to the same list,
// in every format: the heading row found, each field in its column.
TEST_F(Import, AnExportImportsBackToTheSameList)
{
    Run(Block({SheetRow(T("094014201"), "ΠΑΠΑΔΟΠΟΥΛΟΣ; \"Ο.Ε.\"", N(0), N(3), N(1500.5)),
               SheetRow(N(104), "ΚΩΣΤΑΣ", N(1), N(1), N(0.05))}));
    const auto records = [&] {
        std::string all;
        for (int i = 0; i < doc.List(TSide::Customers).RecordCount(); ++i)
            all += doc.List(TSide::Customers).RecordTextAt(i);
        return all;
    };
    const std::string imported = records();
    for (const char* name : {"back.xlsx", "back.ods", "back.csv"}) {
        const std::string path = dir.File(name);
        ASSERT_TRUE(
            WriteListWorkbook({{TSide::Customers, &doc.List(TSide::Customers)}}, path, *WorkbookFormatOf(path)));
        TImportLayout layout = ProposeLayout(ReadSheet(path, {}, [] { return true; }));
        EXPECT_EQ(layout.headingRows, 1) << name;
        New();
        ValidHeader();
        const TImportOutcome outcome = ImportWorkbook(doc, TSide::Customers, path, ReadFirstSheet, layout);
        ASSERT_EQ(outcome.result, TImportResult::Imported) << name << ": " << outcome.messages.at(0);
        EXPECT_EQ(records(), imported) << name;
    }
}
