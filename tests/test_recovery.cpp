// The whole statement kept in the working files, and taken back after a
// crash: answered Yes, No, and over damaged files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "StatementFixture.h"
#include "common/Files.h"
#include "statement/GeneralData.h"

using namespace epinax;
using namespace epinax::test;
namespace fs = std::filesystem;

TEST(GeneralData, KeepsEveryValueExactly)
{
    TGeneralData data;
    data.header.Year = "2024";
    data.header.CompanyName = "  ΑΚΜΕ \\ Α.Ε.  ";
    data.header.TaxNumber = "12345";
    data.header.TaxOffice = 9;
    data.header.Credit = true;
    data.customerPublicValue = "12.5";
    data.supplierPublicValue = "";
    EXPECT_EQ(ParseGeneralData(GeneralDataText(data)), data);
    EXPECT_EQ(ParseGeneralData(GeneralDataText(TGeneralData{})), TGeneralData{});
    EXPECT_EQ(ParseGeneralData(""), TGeneralData{});
}

TEST(GeneralData, RefusesADamagedFile)
{
    std::string text = GeneralDataText(TGeneralData{});
    EXPECT_FALSE(ParseGeneralData(text + "ComboBox1=999999\r\n"));
    EXPECT_FALSE(ParseGeneralData(text + "Credit=2\r\n"));
    EXPECT_FALSE(ParseGeneralData(text + "no equals sign\r\n"));
    EXPECT_FALSE(ParseGeneralData(text + "Town=bad escape \\x\r\n"));
    // A value of a later version is passed over.
    EXPECT_TRUE(ParseGeneralData(text + "Future=1\r\n"));
}

namespace {

class RecoveryTest : public StatementTest {
protected:
    // A statement typed and never saved, left as a crash leaves it: the
    // working files stay, nothing closed them.
    void LeaveUnsavedStatement()
    {
        New();
        ValidHeader();
        doc.ChooseKind(true);
        doc.SetPublicValueText(TSide::Customers, "12,5");
        doc.LeavePublicValue(TSide::Customers);
        ASSERT_TRUE(Add(TSide::Customers, {"000000050", "ΠΡΩΤΟΣ", "0", "3", "100,5"}));
        ASSERT_TRUE(Add(TSide::Customers, {"123456780", "ΔΕΥΤΕΡΟΣ", "1", "2", "7"}));
        ASSERT_TRUE(Add(TSide::Suppliers, {"000000104", "ΤΡΙΤΟΣ", "0", "4", "9"}));
        ui.Take();
    }
    // The working directory holding only these two files, as a crash left it.
    void LeaveWorkingFiles(const std::string& general, const std::string& customers)
    {
        fs::remove_all(dir.File("temp"));
        fs::create_directory(dir.File("temp"));
        WriteBytes(doc.WorkingFile("generaldata"), general);
        WriteBytes(doc.WorkingFile("record2"), customers);
    }
    std::vector<std::string> RecoveredFolders()
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir.File("temp")))
            if (entry.path().filename().string().starts_with("recovered-")) found.push_back(entry.path().string());
        return found;
    }
    // What the window does at start: left work offered, the user's answer taken.
    static bool Offer(TStatement& restarted, RecordingUi& told, bool takeBack = true)
    {
        return restarted.LeftWork() && told.Completed(restarted.Recover(takeBack));
    }
};

}  // namespace

TEST_F(RecoveryTest, EveryHeaderChangeIsInTheWorkingFiles)
{
    New();
    ValidHeader();
    doc.ChooseKind(true);
    doc.SetPublicValueText(TSide::Suppliers, "3");
    TGeneralData expected{doc.Header(), doc.PublicValue(TSide::Customers), doc.PublicValue(TSide::Suppliers)};
    EXPECT_EQ(ParseGeneralData(Working("generaldata")), expected);
    EXPECT_EQ(expected.header.TaxNumber, "123456783");
    EXPECT_TRUE(expected.header.Credit);
    EXPECT_EQ(expected.supplierPublicValue, "3");
}

TEST_F(RecoveryTest, YesTakesBackTheWholeStatementWithUnsavedChanges)
{
    LeaveUnsavedStatement();
    const TStatementHeader header = doc.Header();
    const std::string customers = Working("record2");

    WriteBytes(doc.WorkingFile("record2.Ab3xZ9"), customers.substr(0, 100));  // a write cut short
    RecordingUi again;
    TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
    EXPECT_TRUE(Offer(restarted, again));
    EXPECT_FALSE(FileExists(doc.WorkingFile("record2.Ab3xZ9")));
    EXPECT_TRUE(again.log.empty());

    EXPECT_TRUE(restarted.StatementLoaded());
    EXPECT_TRUE(restarted.UnsavedChanges());
    EXPECT_EQ(restarted.Header(), header);
    EXPECT_EQ(restarted.PublicValue(TSide::Customers), doc.PublicValue(TSide::Customers));
    EXPECT_EQ(doc.PublicValue(TSide::Customers), "12,5");
    EXPECT_EQ(restarted.List(TSide::Customers).RecordCount(), 2);
    EXPECT_EQ(restarted.List(TSide::Suppliers).RecordCount(), 1);
    EXPECT_EQ(restarted.InvoiceTotalText(TSide::Customers), doc.InvoiceTotalText(TSide::Customers));
    EXPECT_EQ(restarted.ValueTotalText(TSide::Customers), doc.ValueTotalText(TSide::Customers));
    EXPECT_EQ(restarted.ValueTotalText(TSide::Suppliers), doc.ValueTotalText(TSide::Suppliers));
    EXPECT_EQ(restarted.CountText(TSide::Customers), doc.CountText(TSide::Customers));
    EXPECT_EQ(ReadBytes(restarted.WorkingFile("record21")), customers);

    // It goes on as any statement: saved, it is the statement that was typed.
    Save("first");
    again.Completed(restarted.SaveAs(dir.File("second"), false));
    EXPECT_EQ(ReadBytes(dir.File("second")), ReadBytes(dir.File("first")));
}

TEST_F(RecoveryTest, NoKeepsTheFilesAsideAndStartsClean)
{
    LeaveUnsavedStatement();
    const std::string general = Working("generaldata");
    const std::string customers = Working("record2");

    WriteBytes(doc.WorkingFile("record4.link"), "");  // a copy cut short
    RecordingUi again;
    TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
    EXPECT_FALSE(Offer(restarted, again, false));
    EXPECT_FALSE(restarted.StatementLoaded());
    auto folders = RecoveredFolders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(ReadBytes(folders[0] + "/generaldata"), general);
    EXPECT_EQ(ReadBytes(folders[0] + "/record2"), customers);
    EXPECT_FALSE(FileExists(restarted.WorkingFile("record2")));
    EXPECT_TRUE(FileExists(folders[0] + "/record4.link"));
    EXPECT_FALSE(FileExists(restarted.WorkingFile("record4.link")));

    // Nothing is left to offer, and a second refusal never mixes folders.
    EXPECT_FALSE(restarted.LeftWork());
    again.Completed(restarted.New());
    RecordingUi third;
    TStatement once_more(dir.Path() + "/", third, [] { return kToday; });
    EXPECT_FALSE(once_more.LeftWork());  // New left empty files: nothing to offer
    EXPECT_TRUE(third.log.empty());
}

TEST_F(RecoveryTest, ADamagedWorkingFileIsKeptAsideWithAMessage)
{
    LeaveUnsavedStatement();
    std::string customers = Working("record2");
    customers[100] = 'x';  // inside the value of the first row
    WriteBytes(doc.WorkingFile("record2"), customers);

    RecordingUi again;
    TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
    EXPECT_FALSE(Offer(restarted, again));
    EXPECT_FALSE(restarted.StatementLoaded());
    ASSERT_EQ(again.log.size(), 1u);
    EXPECT_TRUE(again.log[0].starts_with(
        "message: Τα στοιχεία κατάστασης που βρέθηκαν είναι κατεστραμμένα και δεν ανακτήθηκαν. Φυλάχτηκαν όπως "
        "ήταν στον φάκελο "))
        << again.log[0];
    auto folders = RecoveredFolders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(ReadBytes(folders[0] + "/record2"), customers);
}

// Whatever else lies under a working file's name is never read: a FIFO
// would hang the start for good, /dev/zero fill the memory, a link bring in
// a file from elsewhere, a huge sparse file cost its whole size.
TEST_F(RecoveryTest, OnlyRegularFilesOfTheirOwnSizeAreRead)
{
    LeaveUnsavedStatement();
    const std::string general = Working("generaldata"), customers = Working("record2");
    const std::string outside = dir.File("outside");
    WriteBytes(outside, customers);
    const std::pair<const char*, std::function<void(const std::string&)>> planted[] = {
        {"record2",
         [&](const std::string& path) {
             fs::remove(path);
             fs::create_symlink(outside, path);
         }},
        {"record2", [](const std::string& path) { fs::resize_file(path, std::uintmax_t{2} << 30); }},
        {"generaldata",
         [](const std::string& path) {
             fs::remove(path);
             ::mkfifo(path.c_str(), 0600);
         }},
        {"record2",
         [](const std::string& path) {
             fs::remove(path);
             ::mkfifo(path.c_str(), 0600);
         }},
        {"record4", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
    };
    for (const auto& [name, plant] : planted) {
        SCOPED_TRACE(name);
        LeaveWorkingFiles(general, customers);
        plant(doc.WorkingFile(name));
        RecordingUi again;
        TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
        ASSERT_FALSE(Offer(restarted, again));
        ASSERT_EQ(again.log.size(), 1u);
        EXPECT_TRUE(again.log[0].starts_with("message: Τα στοιχεία κατάστασης που βρέθηκαν είναι κατεστραμμένα"))
            << again.log[0];
        auto folders = RecoveredFolders();
        ASSERT_EQ(folders.size(), 1u);
        struct stat kept {};
        EXPECT_EQ(::lstat((folders[0] + "/" + name).c_str(), &kept), 0);
    }
}

// The header edits let in only what their key filters accept, up to their
// lengths: a value none would let in was not typed, and a CR LF in it would
// split the header line of the file saved from it.
TEST_F(RecoveryTest, HeaderValuesNoEditLetsInMarkTheFilesDamaged)
{
    LeaveUnsavedStatement();
    const TGeneralData typed{doc.Header(), doc.PublicValue(TSide::Customers), doc.PublicValue(TSide::Suppliers)};
    const std::string customers = Working("record2");
    using H = TStatementHeader;
    const std::tuple<std::string H::*, std::string, bool> values[] = {
        {&H::CompanyName, "ACME\r\nSA", false},
        {&H::CompanyName, std::string("AC\0ME", 5), false},
        {&H::Town, "ATHENS\x1a", false},
        {&H::Town, "\x01", false},
        {&H::Street, "ODOS\x7f", false},
        {&H::TaxNumber, "12345678X", false},
        {&H::Year, "20245", false},
        {&H::Installation, "EE", false},
        {&H::Phone, "21 01234", false},
        {&H::Phone, "2101234   ", true},  // the filling Open keeps after a short number
        {&H::StreetNumber, "12A", true},
    };
    for (const auto& [field, value, recovered] : values) {
        SCOPED_TRACE(value);
        TGeneralData data = typed;
        data.header.*field = value;
        LeaveWorkingFiles(GeneralDataText(data), customers);
        RecordingUi again;
        TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
        EXPECT_EQ(Offer(restarted, again), recovered);
        const std::string damaged = "message: Τα στοιχεία κατάστασης που βρέθηκαν είναι κατεστραμμένα";
        EXPECT_EQ(!again.log.empty() && again.log.back().starts_with(damaged), !recovered);
    }
}

TEST_F(RecoveryTest, ADamagedGeneralDataFileIsKeptAsideToo)
{
    LeaveUnsavedStatement();
    WriteBytes(doc.WorkingFile("generaldata"), "[e-PINAX generaldata 1]\r\nCredit=maybe\r\n");
    RecordingUi again;
    TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
    EXPECT_FALSE(Offer(restarted, again));
    EXPECT_EQ(RecoveredFolders().size(), 1u);
}

TEST_F(RecoveryTest, AClosedStatementLeavesNothingToOffer)
{
    LeaveUnsavedStatement();
    doc.Close();
    RecordingUi again;
    TStatement restarted(dir.Path() + "/", again, [] { return kToday; });
    EXPECT_FALSE(Offer(restarted, again));
    EXPECT_TRUE(again.log.empty());
}
