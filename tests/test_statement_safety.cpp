// What must hold whatever the file or the disk does: an Open is all or
// nothing, the working directory is never reached through a link, numbers
// keep their value, keys mark the statement changed however they end.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "ShownState.h"
#include "StatementFixture.h"
#include "common/Files.h"
#include "common/Lines.h"

using namespace epinax;
using namespace epinax::test;

namespace {

std::string Joined(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string bytes;
    for (const auto& line : lines) bytes += line + end;
    return bytes;
}

class StatementSafety : public StatementTest {
protected:
    void SetUp() override
    {
        New();
        ValidHeader();
        ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΠΡΩΤΟΣ", "0", "10", "0,5"}));
        ASSERT_TRUE(Add(TSide::Suppliers, {"000000104", "ΤΡΙΤΟΣ", "0", "2", "7"}));
        doc.SetPublicValueText(TSide::Suppliers, "7");
        lines = FileLines(ReadBytes(Save("saved")));
        ASSERT_EQ(lines.size(), 6u);
        ui.Take();
    }
    // Everything an Open could change, working files included.
    std::vector<std::string> Snapshot()
    {
        std::vector<std::string> state = ShownState(doc);
        for (const char* name : {"generaldata", "record2", "record4", "record21", "record22"})
            state.push_back(Working(name));
        for (TSide side : {TSide::Customers, TSide::Suppliers})
            state.push_back(std::to_string(doc.List(side).Active() ? doc.List(side).RecordCount() : -1));
        return state;
    }
    std::vector<std::string> OpenBytes(const std::string& bytes)
    {
        WriteBytes(dir.File("in"), bytes);
        ui.Completed(doc.Open(dir.File("in")));
        return ui.Take();
    }
    std::vector<std::string> lines;
};

}  // namespace

// A value that passes the line checks but not the totals (an exponent form
// whose sum is out of range) refuses the whole file before anything changes:
// no stale totals can then reach a saved file.
TEST_F(StatementSafety, OpenRefusedByTheTotalsChangesNothing)
{
    for (const char* value : {"000000000001E-37", "00000001E+300000", "0000000000000,5x"}) {
        SCOPED_TRACE(value);
        auto changed = lines;
        changed.insert(changed.begin() + 3, changed[2]);  // beside a plain value
        changed[3].replace(99, 16, value);
        auto before = Snapshot();
        auto log = OpenBytes(Joined(changed));
        EXPECT_EQ(log,
                  (std::vector<std::string>{"beep", Message("Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου")}));
        EXPECT_EQ(Snapshot(), before);
    }
    // And the line the tool names is the customer's.
    auto changed = lines;
    changed.insert(changed.begin() + 3, changed[2]);
    changed[3].replace(99, 16, "000000000001E-37");
    auto outcome = ReadStatement(Joined(changed));
    ASSERT_TRUE(outcome.problem);
    EXPECT_EQ(outcome.problem->lineNumber, 4);
}

TEST_F(StatementSafety, OpenComputesTheTotalsItShows)
{
    auto outcome = ReadStatement(Joined(lines));
    ASSERT_TRUE(outcome.contents);
    EXPECT_EQ(outcome.contents->customerSum.totals.InvoicesText(), "10");
    EXPECT_EQ(outcome.contents->customerSum.totals.ValueText(), G("0,50"));
    EXPECT_EQ(outcome.contents->supplierSum.totals.InvoicesText(), "2");
    EXPECT_EQ(outcome.contents->supplierSum.totals.ValueText(), G("7,00"));
}

// Lone CRs end lines as CR LF does; such a file opens to the same statement,
// and a full-size one is split in one pass (the old splitter searched to the
// end of the file for every line, minutes for this file).
TEST_F(StatementSafety, CrOnlyLineEndsOpenTheSameStatementAtFullSize)
{
    OpenBytes(Joined(lines));
    auto crlf = Snapshot();
    OpenBytes(Joined(lines, "\r"));
    EXPECT_EQ(Snapshot(), crlf);

    std::vector<std::string> full(lines.begin(), lines.begin() + 2);
    for (int i = 0; i < kMaxRowsPerList; ++i) full.push_back(lines[2]);
    full.push_back(lines[3]);
    for (int i = 0; i < kMaxRowsPerList; ++i) full.push_back(lines[4]);
    full.push_back(lines[5]);
    OpenBytes(Joined(full, "\r"));
    EXPECT_EQ(doc.List(TSide::Customers).RecordCount(), kMaxRowsPerList);
    EXPECT_EQ(doc.List(TSide::Suppliers).RecordCount(), kMaxRowsPerList);
    EXPECT_EQ(doc.InvoiceTotalText(TSide::Customers), "999990");

    size_t count = 0;
    ForEachLine(std::string(3 << 20, '\r'), [&](std::string_view line) { count += line.empty(); });
    EXPECT_EQ(count, size_t{3} << 20);
}

TEST(LineSplitting, AgreesWithAPlainSplitterOnEveryMixOfLineEnds)
{
    auto plain = [](std::string_view text) {
        std::vector<std::string> out;
        std::string line;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                out.push_back(line);
                line.clear();
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                line += text[i];
            }
        }
        if (!line.empty()) out.push_back(line);
        return out;
    };
    std::mt19937 random(1253);
    const char alphabet[] = {'a', 'b', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text) c = alphabet[random() % 4];
        std::vector<std::string> split;
        ForEachLine(text, [&](std::string_view line) { split.emplace_back(line); });
        ASSERT_EQ(split, plain(text)) << testing::PrintToString(text);
    }
}

// A file larger than the largest legal statement is refused unread, as no
// statement; the largest legal size itself is read.
TEST_F(StatementSafety, OpenRefusesAFileLargerThanAnyStatementUnread)
{
    auto before = Snapshot();
    WriteBytes(dir.File("huge"), "");
    ASSERT_EQ(::truncate(dir.File("huge").c_str(), off_t{8} << 30), 0);  // sparse: no disk used
    ui.Completed(doc.Open(dir.File("huge")));
    EXPECT_EQ(ui.Take(), std::vector<std::string>{Message("Μη έγκυρο αρχείο")});
    EXPECT_EQ(Snapshot(), before);

    EXPECT_EQ(kLargestStatementFileBytes, 200002u * 152u);
}

TEST_F(StatementSafety, OpenNamesWhatFailedWhenTheWorkingFilesCannotBeWritten)
{
    auto before = Snapshot();
    ::chmod(doc.WorkingFile("record4").c_str(), 0444);
    auto log = OpenBytes(Joined(lines));
    ::chmod(doc.WorkingFile("record4").c_str(), 0644);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("δεν έχετε δικαίωμα εγγραφής"), std::string::npos) << log[0];
    EXPECT_EQ(log[0].find("χώρος"), std::string::npos) << log[0];
    EXPECT_EQ(Snapshot(), before);

    WriteBytes(dir.File("in"), Joined(lines));
    {
        FileSizeLimit limit(100);
        ui.Completed(doc.Open(dir.File("in")));
    }
    log = ui.Take();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("το αρχείο ξεπερνά το επιτρεπόμενο μέγεθος"), std::string::npos) << log[0];
    EXPECT_EQ(Snapshot(), before);
}

// A working directory that is a link leads elsewhere: New, Open and close
// touch nothing there, and say why.
TEST(WorkingDirectory, ALinkIsNeverFollowed)
{
    TempDir program, elsewhere;
    for (const char* name : {"generaldata", "record2", "record4", "record21", "record22"})
        WriteBytes(elsewhere.File(name), std::string("keep ") + name);
    std::filesystem::create_directory_symlink(elsewhere.Path(), program.File("temp"));

    RecordingUi ui;
    TStatement doc(program.Path() + "/", ui, [] { return kToday; });
    ASSERT_TRUE(doc.WorkingDirectoryProblem());
    ui.Completed(doc.New());
    auto log = ui.Take();
    ASSERT_EQ(log.size(), 2u);  // the beep, the message
    EXPECT_NE(log[1].find("δεν είναι φάκελος του προγράμματος"), std::string::npos) << log[2];
    EXPECT_FALSE(doc.StatementLoaded());

    WriteBytes(program.File("s"), "0IL01\r\n");
    ui.Completed(doc.Open(program.File("s")));
    EXPECT_EQ(ui.Take().size(), 2u);  // the beep, the message

    doc.Close();
    for (const char* name : {"generaldata", "record2", "record4", "record21", "record22"})
        EXPECT_EQ(ReadBytes(elsewhere.File(name)), std::string("keep ") + name);
    EXPECT_TRUE(std::filesystem::is_symlink(program.File("temp")));
}

TEST(WorkingDirectory, ARemovedOneIsMadeAgain)
{
    TempDir program;
    RecordingUi ui;
    TStatement doc(program.Path() + "/", ui, [] { return kToday; });
    std::filesystem::remove_all(program.File("temp"));
    ui.Completed(doc.New());
    EXPECT_TRUE(doc.StatementLoaded());
    EXPECT_TRUE(std::filesystem::is_directory(program.File("temp")));
}

// The Greek iota of the form code in either letter case, as the Latin I.
TEST(FormCode, SmallGreekIotaIsAccepted)
{
    for (const char* form : {"0IL01", "0iL01", "0Il01", "0ΙL01", "0ιL01", "0ιl01"})
        EXPECT_TRUE(IsStatementFormLine(G(form))) << form;
    for (const char* form : {"0ΊL01", "0JL01", "0ΗL01", "1IL01", "0IL02"})
        EXPECT_FALSE(IsStatementFormLine(G(form))) << form;
}

// One rule for every key: a key in a header edit, a grid or a public-sector
// edit marks the statement changed, refused or not, even a key the code page
// cannot hold; the totals take no key and mark nothing.
TEST_F(StatementSafety, EveryKeyMarksTheStatementChangedWhateverItsFate)
{
    for (TStatementField control :
         {TStatementField::CompanyName, TStatementField::Year, TStatementField::TaxNumber,
          TStatementField::Installation, TStatementField::CustomerPublicValue, TStatementField::SupplierPublicValue}) {
        for (std::optional<char> key : {std::optional<char>('A'), std::optional<char>()}) {
            doc.MarkSaved();
            doc.FieldKeyPress(control, key, "");
            EXPECT_TRUE(doc.UnsavedChanges()) << FieldHandle(control);
        }
    }
    ui.Take();
    doc.MarkSaved();
    EXPECT_EQ(doc.FieldKeyPress(TStatementField::CompanyName, std::nullopt, ""), std::nullopt);
    EXPECT_EQ(doc.GridKeyPress(TSide::Customers, 1, std::nullopt, ""), std::nullopt);
    EXPECT_TRUE(doc.UnsavedChanges());
    doc.MarkSaved();
    EXPECT_EQ(doc.FieldKeyPress(TStatementField::CustomerValueTotal, '1', ""), std::nullopt);
    EXPECT_FALSE(doc.UnsavedChanges());
}

// A public-sector value keeps its value on leaving the edit and in the file,
// a single digit too.
TEST_F(StatementSafety, ASingleDigitPublicValueReachesTheFile)
{
    doc.SetPublicValueText(TSide::Customers, "7");
    doc.LeavePublicValue(TSide::Customers);
    EXPECT_EQ(doc.PublicValue(TSide::Customers), "7");
    doc.SetPublicValueText(TSide::Suppliers, "07");
    auto saved = FileLines(ReadBytes(Save("again")));
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(doc.PublicValue(TSide::Suppliers), "7");
    EXPECT_EQ(saved[3].substr(10, 16), "0000000000000700");
    EXPECT_EQ(saved[5].substr(10, 16), "0000000000000700");
}
