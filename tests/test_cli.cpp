// The command-line tool, run as a user runs it: a separate process in a
// temporary directory, its exit code, its stdout (JSON) and stderr.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "common/Cp1253.h"
#include "entry/TaxNumber.h"
#include "statement/TaxOffices.h"

namespace {

using epinax::test::ReadBytes;
using epinax::test::TempDir;
using epinax::test::WriteBytes;
using nlohmann::json;

struct Outcome {
    int code = -1;
    std::string out, err;
};

// Runs the tool with `args` in `dir`; `inChild` runs in the new process just
// before the tool starts.
Outcome RunCli(const TempDir& dir, const std::vector<std::string>& args, const std::function<void()>& inChild = {})
{
    std::string outFile = dir.File(".stdout"), errFile = dir.File(".stderr");
    pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.Path().c_str()) != 0) ::_exit(127);
        ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        if (inChild) inChild();
        std::vector<char*> argv{const_cast<char*>(EPINAX_CLI)};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(EPINAX_CLI, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(outFile), ReadBytes(errFile)};
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return outcome;
}

// A tax number the check accepts, from eight digits of one's choosing.
std::string ValidAfm(const std::string& eightDigits)
{
    for (char check = '0'; check <= '9'; ++check)
        if (epinax::CheckAfm(eightDigits + check)) return eightDigits + check;
    return {};
}

const std::string kOwnAfm = ValidAfm("09401924");

json Row(const std::string& afm, const std::string& invoices, const std::string& value)
{
    return {{"AFM", afm}, {"Name", "ΠΕΛΑΤΗΣ"}, {"Ypovolh", "0"}, {"NoTimologion", invoices}, {"Value", value}};
}

json Statement()
{
    return {
        {"date", "20240315"},
        {"header",
         {{"YearOfData", "2023"}, {"DOY", "1101"}, {"CompanyName", "ΑΛΦΑ ΑΕ"}, {"AFM", kOwnAfm}, {"Egatastash", "Ε"}}},
        {"customers", json::array()},
        {"suppliers", json::array()}};
}

std::vector<std::string> FileLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class CliTest : public ::testing::Test {
protected:
    Outcome Build(const json& input, std::vector<std::string> extra = {})
    {
        WriteBytes(dir.File("in.json"), input.dump());
        std::vector<std::string> args{"build", "in.json", "-o", "OUT"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(dir, args);
    }
    std::vector<std::string> Written() { return FileLines(ReadBytes(dir.File("OUT"))); }

    TempDir dir;
};

// ------------------------------------------------------------------ build

TEST_F(CliTest, BuildWritesEveryLineAtItsWidth)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "1", "5"), Row(ValidAfm("10000002"), "1", "5"),
                          Row(ValidAfm("10000003"), "12", "1234,5")};
    Outcome built = Build(input);
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_EQ(json::parse(built.out), json({{"written", "OUT"}}));

    std::string bytes = ReadBytes(dir.File("OUT"));
    ASSERT_TRUE(bytes.ends_with("\r\n"));
    std::vector<std::string> lines = FileLines(bytes);
    ASSERT_EQ(lines.size(), 6u);
    for (const auto& line : lines) EXPECT_EQ(line.size(), 150u) << line;
    EXPECT_EQ(lines[0], "0IL01    20240315" + std::string(133, ' '));
    const std::string& third = lines[4];
    EXPECT_EQ(third.substr(0, 15), "200003" + ValidAfm("10000003"));
    EXPECT_EQ(third.substr(92, 7), "0000012");
    EXPECT_EQ(third.substr(99, 16), "0000000000123450");
    EXPECT_EQ(third.substr(115), std::string(35, ' '));
}

TEST_F(CliTest, BuildWritesTheTotalsWithThePublicValue)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "13", "800"), Row(ValidAfm("10000002"), "12", "200,00")};
    input["EditPub1"] = "50";
    input["kind"] = "credit";
    ASSERT_EQ(Build(input).code, 0);
    std::vector<std::string> lines = Written();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 17), "0IL01.PIS20240315");
    EXPECT_EQ(lines[4],
              "3999999011"
              "0000000000005000"
              "999999999"
              "0000000000000025"
              "0000000000105000" +
                  std::string(83, ' '));
}

// The print window's pages as a PDF file, named after the list by default.
TEST_F(CliTest, ReportWritesThePagesAsPdf)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "13", "800"), Row(ValidAfm("10000002"), "12", "200")};
    ASSERT_EQ(Build(input).code, 0);
    const Outcome made = RunCli(dir, {"report", "OUT", "--customers", "--pdf"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(json::parse(made.out)["written"], "Pelates.pdf");
    FILE* text = ::popen(("pdftotext -layout " + dir.File("Pelates.pdf") + " -").c_str(), "r");
    ASSERT_TRUE(text);
    std::string pages;
    for (char buffer[4096]; size_t got = std::fread(buffer, 1, sizeof buffer, text);) pages.append(buffer, got);
    ASSERT_EQ(::pclose(text), 0);
    EXPECT_NE(pages.find(ValidAfm("10000002") + " ΠΕΛΑΤΗΣ"), std::string::npos) << pages;
    EXPECT_NE(pages.find("ΣΥΝΟΛΟ"), std::string::npos);
    EXPECT_NE(pages.find("Σελίδα 1 από 1"), std::string::npos);
    EXPECT_EQ(RunCli(dir, {"report", "missing", "--suppliers", "--pdf"}).code, 2);
}

TEST_F(CliTest, ShowGivesBackWhatWasBuilt)
{
    json input = Statement();
    input["header"]["Tel"] = "2101234567";
    input["header"]["Fax"] = "2107654321";
    input["header"]["Town"] = "ΑΘΗΝΑ";
    input["customers"] = {Row(ValidAfm("10000001"), "13", "800,5")};
    input["suppliers"] = {Row(ValidAfm("10000002"), "2", "0")};
    input["EditPub2"] = "10,25";
    ASSERT_EQ(Build(input).code, 0);

    Outcome shown = RunCli(dir, {"show", "OUT"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    json statement = json::parse(shown.out);
    EXPECT_EQ(statement["date"], "20240315");
    EXPECT_EQ(statement["kind"], "debit");
    for (const auto& [key, value] : input["header"].items())
        EXPECT_EQ(statement["header"][key], key == "Egatastash" ? "E" : value) << key;
    for (const char* list : {"customers", "suppliers"}) {
        ASSERT_EQ(statement[list].size(), 1u);
        for (const auto& [key, value] : input[list][0].items()) EXPECT_EQ(statement[list][0][key], value) << key;
        EXPECT_EQ(statement[list][0]["AA"], "00001");
    }
    EXPECT_EQ(statement["EditPub2"], "10,25");
    EXPECT_EQ(statement["EditSumValue"], "800,50");
    EXPECT_EQ(statement["Label33"], "1 Εγγραφές (Προμηθευτές)");
}

TEST_F(CliTest, BuildStopsAtWhatTheProgramWouldNotTake)
{
    json letter = Statement();
    letter["customers"] = {Row(ValidAfm("10000001"), "1", "5")};
    letter["customers"][0]["TK"] = "1O435";
    Outcome typed = Build(letter);
    EXPECT_EQ(typed.code, 1);
    EXPECT_NE(typed.err.find("Πελάτες, εγγραφή 1, πεδίο «TK»"), std::string::npos) << typed.err;

    json tooLong = Statement();
    tooLong["header"]["Edit1"] = "1234567";
    EXPECT_NE(Build(tooLong).err.find("«Edit1»: χωράει έως 6"), std::string::npos);

    json refusedRow = Statement();
    refusedRow["customers"] = {Row(ValidAfm("10000001"), "1", "5"), Row("123456789", "1", "5")};
    Outcome row = Build(refusedRow);
    EXPECT_EQ(row.code, 1);
    EXPECT_NE(row.err.find("Πελάτες, εγγραφή 2: Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"),
              std::string::npos)
        << row.err;

    json refusedSave = Statement();
    refusedSave["header"]["AFM"] = "123456789";
    Outcome save = Build(refusedSave);
    EXPECT_EQ(save.code, 1);
    EXPECT_NE(save.err.find("Η αποθήκευση σε αρχείο απέτυχε: Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου. "
                            "Διορθώστε το και επαναλάβετε την αποθήκευση."),
              std::string::npos)
        << save.err;

    EXPECT_FALSE(std::filesystem::exists(dir.File("OUT")));
}

TEST_F(CliTest, BuildReplacesAnExistingFileOnlyWhenForced)
{
    WriteBytes(dir.File("OUT"), "earlier");
    Outcome refused = Build(Statement());
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("OUT")), "earlier");

    EXPECT_EQ(Build(Statement(), {"--force"}).code, 0);
    EXPECT_TRUE(ReadBytes(dir.File("OUT")).starts_with("0IL01"));
}

// ------------------------------------------------------------ show, check

TEST_F(CliTest, ShowRefusesWhatOpenRefuses)
{
    WriteBytes(dir.File("notes.txt"), "hello\r\n");
    Outcome refused = RunCli(dir, {"show", "notes.txt"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("Μη έγκυρο αρχείο"), std::string::npos);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_EQ(RunCli(dir, {"show", "missing.txt"}).code, 2);
}

TEST_F(CliTest, CheckReportsEveryProblemAtItsLine)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "13", "800"), Row(ValidAfm("10000002"), "12", "200")};
    input["suppliers"] = {Row(ValidAfm("10000003"), "2", "10")};
    ASSERT_EQ(Build(input).code, 0);
    Outcome clean = RunCli(dir, {"check", "OUT", "--date", "20240315"});
    EXPECT_EQ(clean.code, 0) << clean.out;
    EXPECT_EQ(json::parse(clean.out), json({{"problems", json::array()}}));

    std::vector<std::string> lines = Written();  // 0 form, 1 header, 2-3 customers, 4 totals, 5 supplier, 6 totals
    lines[1].replace(1, 4, "1800");
    lines[1].replace(146, 4, "    ");
    lines[3].replace(6, 9, ValidAfm("10000001"));
    lines[4].replace(50, 1, "4");
    lines[5].pop_back();
    std::string bad;
    for (const auto& line : lines) bad += line + "\r\n";
    WriteBytes(dir.File("BAD"), bad);

    Outcome checked = RunCli(dir, {"check", "BAD", "--date", "20240315"});
    EXPECT_EQ(checked.code, 1);
    json expected = {
        {{"line", 2},
         {"message",
          "Η αποθήκευση σε αρχείο απέτυχε: Γράψτε το έτος που αφορούν τα στοιχεία, με "
          "τέσσερα ψηφία και επαναλάβετε την αποθήκευση."}},
        {{"line", 2},
         {"message",
          "Η αποθήκευση σε αρχείο απέτυχε: Συμπληρώστε το Είδος εγκατάστασης και "
          "επαναλάβετε την αποθήκευση."}},
        {{"line", 4}, {"message", "Ο ΑΦΜ: " + ValidAfm("10000001") + " έχει εισαχθεί 2 φορές στους πελάτες"}},
        {{"line", 5},
         {"message",
          "Το σύνολο τιμολογίων της γραμμής 5 δεν συμφωνεί με τις γραμμές των πελατών "
          "(αναμενόταν 25, βρέθηκε 24)"}},
        {{"line", 6},
         {"message",
          "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής "
          "είναι λανθασμένο"}},
    };
    EXPECT_EQ(json::parse(checked.out)["problems"], expected) << checked.out;
}

// ------------------------------------------------ what build refuses

// A control character would split or cut the line it is written into; every
// field refuses it, as the window's edits do, and names itself.
TEST_F(CliTest, BuildRefusesControlCharactersInEveryField)
{
    struct Case {
        const char* where;
        std::function<void(json&)> put;
    };
    const Case cases[] = {
        {"πεδίο «CompanyName»", [](json& in) { in["header"]["CompanyName"] = "ΑΛΦΑ\nΑΕ"; }},
        {"πεδίο «Tel»", [](json& in) { in["header"]["Tel"] = "210\t1234"; }},
        {"πεδίο «email»", [](json& in) { in["header"]["email"] = "a\x7f@b.gr"; }},
        {"πεδίο «DOY»", [](json& in) { in["header"]["DOY"] = "1101\r"; }},
        {"πεδίο «Egatastash»", [](json& in) { in["header"]["Egatastash"] = "\bΕ"; }},
        {"Πελάτες, εγγραφή 1, πεδίο «Name»", [](json& in) { in["customers"][0]["Name"] = std::string("ΑΒ\0Γ", 5); }},
        {"Πελάτες, εγγραφή 1, πεδίο «City»", [](json& in) { in["customers"][0]["City"] = "ΑΘΗΝΑ\u0081"; }},
        {"Προμηθευτές, εγγραφή 1, πεδίο «Street»", [](json& in) { in["suppliers"][0]["Street"] = "\x1b[1m"; }},
        {"Πεδίο «EditPub1»", [](json& in) { in["EditPub1"] = "5\n"; }},
    };
    for (const Case& c : cases) {
        json input = Statement();
        input["customers"] = {Row(ValidAfm("10000001"), "1", "5")};
        input["suppliers"] = {Row(ValidAfm("10000002"), "1", "5")};
        c.put(input);
        Outcome built = Build(input);
        EXPECT_EQ(built.code, 1) << c.where;
        EXPECT_NE(built.err.find(std::string(c.where) + ": ο χαρακτήρας ελέγχου U+"), std::string::npos)
            << c.where << ": " << built.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("OUT"))) << c.where;
    }
}

TEST_F(CliTest, DatesTheCalendarDoesNotHaveAreRefused)
{
    for (const char* date : {"20230231", "20230431", "20230229", "19000229", "20231301", "20230100"}) {
        json input = Statement();
        input["date"] = date;
        Outcome built = Build(input);
        EXPECT_EQ(built.code, 2) << date;
        EXPECT_NE(built.err.find(date), std::string::npos) << built.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("OUT"))) << date;
        EXPECT_EQ(RunCli(dir, {"check", "missing.txt", "--date", date}).code, 2) << date;
    }
    for (const char* date : {"20240229", "20280229", "20231231"}) {
        json input = Statement();
        input["date"] = date;
        EXPECT_EQ(Build(input, {"--force"}).code, 0) << date;
        EXPECT_EQ(RunCli(dir, {"check", "OUT", "--date", date}).code, 0) << date;
    }
}

// The duplicate is found however long the list, compared as the lookup
// compares (blanks trimmed), and named at the row that repeats it.
TEST_F(CliTest, BuildNamesTheRowThatRepeatsATaxNumber)
{
    json input = Statement();
    json row = Row("1234", "1", "5");
    row["Ypovolh"] = "1";
    input["suppliers"] = json::array();
    for (const char* afm : {"1234", "5678", " 5678", "1234 "}) {
        row["AFM"] = afm;
        input["suppliers"].push_back(row);
    }
    Outcome built = Build(input);
    EXPECT_EQ(built.code, 1);
    EXPECT_NE(built.err.find("Προμηθευτές, εγγραφή 3: Ο ΑΦΜ:  5678 έχει εισαχθεί 2 φορές στους προμηθευτές"),
              std::string::npos)
        << built.err;
}

TEST_F(CliTest, BuildRefusesAListLongerThanTheFileNumbersBeforeTypingIt)
{
    json input = Statement();
    input["suppliers"] = json::array();
    for (int i = 0; i < 100000; ++i) input["suppliers"].push_back(json::object());
    Outcome built = Build(input);
    EXPECT_EQ(built.code, 1);
    EXPECT_NE(built.err.find("Προμηθευτές: η λίστα έχει 100000 εγγραφές"), std::string::npos) << built.err;
    EXPECT_EQ(built.err.find("εγγραφή 1"), std::string::npos) << built.err;
}

// ------------------------------------------------------ show, then build

// Statements of many shapes, each valid, from a seed.
class StatementMaker {
public:
    explicit StatementMaker(unsigned seed) : random_(seed) {}

    json Make()
    {
        json in = {{"date", "2024" + TwoDigits(Between(1, 12)) + TwoDigits(Between(1, 28))},
                   {"kind", Chance(2) ? "credit" : "debit"}};
        in["header"] = Header();
        if (Chance(2)) in["EditPub1"] = Amount();
        if (Chance(2)) in["EditPub2"] = Amount();
        for (const char* list : {"customers", "suppliers"}) {
            in[list] = json::array();
            int count = Chance(3) ? 0 : Between(1, 25);
            for (int i = 0; i < count; ++i) in[list].push_back(CounterpartyRow(list == std::string("customers")));
        }
        return in;
    }

private:
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int oneIn) { return Between(1, oneIn) == 1; }
    static std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

    std::string Digits(int length)
    {
        std::string text;
        for (int i = 0; i < length; ++i) text += static_cast<char>('0' + Between(0, 9));
        return text;
    }

    // Any character a field can hold: Latin, Greek, signs and blanks.
    std::string Text(int maxLength)
    {
        static const std::string kBytes = [] {
            std::string bytes;
            for (int b = 0x20; b < 0x7F; ++b) bytes += static_cast<char>(b);
            for (int b = 0xA0; b < 0xFF; ++b)
                if (b != 0xAA && b != 0xD2) bytes += static_cast<char>(b);
            return bytes;
        }();
        std::string text;
        int length = Between(0, maxLength);
        for (int i = 0; i < length; ++i) text += kBytes[Between(0, static_cast<int>(kBytes.size()) - 1)];
        return epinax::cp1253::ToUtf8(text);
    }

    std::string Amount()
    {
        std::string whole = std::to_string(Between(0, Chance(4) ? 999999999 : 9999));
        switch (Between(0, 2)) {
        case 0: return whole;
        case 1: return whole + "," + Digits(1);
        default: return whole + "," + Digits(2);
        }
    }

    // A telephone number of 7 to 10 digits: a short one leaves blanks in the file.
    std::string Phone() { return Chance(4) ? "" : Digits(Between(7, 10)); }

    json Header()
    {
        const auto& offices = epinax::DOYCodes();
        return {{"YearOfData", std::to_string(Between(1990, 2023))},
                {"DOY", offices[Between(0, static_cast<int>(offices.size()) - 1)]},
                {"Edit1", Digits(Between(0, 6))},
                {"CompanyName", Text(18)},
                {"AFM", kOwnAfm},
                {"AntikeimenoErgasion", Text(16)},
                {"Town", Text(10)},
                {"Street", Text(16)},
                {"Number", Text(3)},
                {"TK", Digits(Between(0, 5))},
                {"Tel", Phone()},
                {"Fax", Phone()},
                {"email", Text(34)},
                {"Egatastash", Chance(2) ? "Ε" : Digits(Between(1, 3)) + (Chance(2) ? "E" : "")}};
    }

    // Tax numbers are told apart by a running number, so none repeats.
    json CounterpartyRow(bool customer)
    {
        std::string number = std::to_string(10000000 + ++rows_);
        bool liable = !Chance(4);
        std::string value = Chance(5) ? "0" : Amount();
        bool zero = value.find_first_not_of("0,") == std::string::npos;
        int leastInvoices = zero ? 2 : customer ? 1 : 0;
        return {{"AFM", liable ? ValidAfm(number) : "X" + number.substr(1)},
                {"Name", Text(27)},
                {"Prof", Text(15)},
                {"Ypovolh", liable ? "0" : "1"},
                {"City", Text(10)},
                {"Street", Text(16)},
                {"StreetNo", Text(3)},
                {"TK", Digits(Between(0, 5))},
                {"NoTimologion", std::to_string(Between(leastInvoices, Chance(3) ? 9999999 : 40))},
                {"Value", value}};
    }

    std::mt19937 random_;
    int rows_ = 0;
};

// What show prints is what build reads: building it again gives the same
// file, byte for byte.
TEST_F(CliTest, BuildOfWhatShowPrintsGivesTheSameFile)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        json input = StatementMaker(seed).Make();
        Outcome first = Build(input, {"--force"});
        ASSERT_EQ(first.code, 0) << "seed " << seed << ": " << first.err << "\n" << input.dump(1);
        std::string bytes = ReadBytes(dir.File("OUT"));

        Outcome shown = RunCli(dir, {"show", "OUT"});
        ASSERT_EQ(shown.code, 0) << "seed " << seed << ": " << shown.err;
        WriteBytes(dir.File("shown.json"), shown.out);
        Outcome again = RunCli(dir, {"build", "shown.json", "-o", "AGAIN", "--force"});
        ASSERT_EQ(again.code, 0) << "seed " << seed << ": " << again.err << "\n" << shown.out;
        EXPECT_EQ(ReadBytes(dir.File("AGAIN")), bytes) << "seed " << seed;
    }
}

// The lists as a spreadsheet: a .csv holds one list, and an existing file is
// replaced only with --force, as build and zip do.
TEST_F(CliTest, ExportRefusesBothListsInACsvAndReplacesOnlyWhenForced)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "13", "800,5")};
    ASSERT_EQ(Build(input).code, 0);
    Outcome both = RunCli(dir, {"export", "OUT", "--both", "-o", "lists.csv"});
    EXPECT_EQ(both.code, 2);
    EXPECT_NE(both.err.find("μία μόνο λίστα"), std::string::npos) << both.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("lists.csv")));

    Outcome made = RunCli(dir, {"export", "OUT", "--customers", "-o", "lists.csv"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(json::parse(made.out), json({{"written", "lists.csv"}}));
    const std::string earlier = ReadBytes(dir.File("lists.csv"));
    EXPECT_NE(earlier.find("\r\n" + ValidAfm("10000001") + ";"), std::string::npos) << earlier;
    Outcome refused = RunCli(dir, {"export", "OUT", "--suppliers", "-o", "lists.csv"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadBytes(dir.File("lists.csv")), earlier);
    EXPECT_EQ(RunCli(dir, {"export", "OUT", "--both", "-o", "lists.xlsx"}).code, 0);
    EXPECT_EQ(RunCli(dir, {"report", "OUT", "--both"}).code, 2);
}

// ---------------------------------------------------- the user's files alone

// The import too posts into a statement without working files: no command
// needs a temporary directory or leaves a file it was not asked for.
TEST_F(CliTest, NoCommandNeedsATemporaryDirectory)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "1", "5")};
    ASSERT_EQ(Build(input).code, 0);
    const std::string base = dir.File("not-a-directory");
    WriteBytes(base, "x");
    auto unusable = [base] { ::setenv("TMPDIR", base.c_str(), 1); };
    const std::string workbook = std::string(EPINAX_TEST_DATA) + "/workbooks/import-good.csv";
    const std::vector<std::vector<std::string>> commands = {{"build", "in.json", "-o", "AGAIN"},
                                                            {"show", "OUT"},
                                                            {"check", "OUT", "--date", "20240315"},
                                                            {"import", "OUT", workbook, "--suppliers", "-o", "WITH"}};
    for (const auto& args : commands) {
        Outcome outcome = RunCli(dir, args, unusable);
        EXPECT_EQ(outcome.code, 0) << args[0] << ": " << outcome.err;
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"AGAIN", "OUT", "WITH", "in.json", "not-a-directory"}));
}

// ---------------------------------------------------------- sizes, pipes

TEST_F(CliTest, CheckTakesALineOfTheWrongLengthForThatAlone)
{
    ASSERT_EQ(Build(Statement()).code, 0);
    std::vector<std::string> lines = Written();
    lines[1].erase(40, 1);
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    WriteBytes(dir.File("SHORT"), bytes);
    Outcome checked = RunCli(dir, {"check", "SHORT", "--date", "20240315"});
    EXPECT_EQ(checked.code, 1);
    json expected = {{{"line", 2},
                      {"message",
                       "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της "
                       "γραμμής είναι λανθασμένο"}}};
    EXPECT_EQ(json::parse(checked.out)["problems"], expected) << checked.out;
}

TEST_F(CliTest, CheckListsTheFirstThousandProblemsAndCountsTheRest)
{
    ASSERT_EQ(Build(Statement()).code, 0);
    WriteBytes(dir.File("EMPTY-LINES"), ReadBytes(dir.File("OUT")) + std::string(3000, '\n'));
    Outcome checked = RunCli(dir, {"check", "EMPTY-LINES", "--date", "20240315"});
    EXPECT_EQ(checked.code, 1);
    json report = json::parse(checked.out);
    ASSERT_EQ(report["problems"].size(), 1000u);
    EXPECT_EQ(report["problems"][0]["line"], 3);
    EXPECT_EQ(report["problems"][999]["line"], 1002);
    EXPECT_EQ(report["moreProblems"], 2000);
}

// Larger than form, header, two full lists and their totals at 152 bytes a
// line: refused unread, as Open refuses a file that is no statement.
TEST_F(CliTest, AFileLargerThanAnyStatementIsRefusedUnread)
{
    const size_t largest = (2 + 2 * (99999 + 1)) * 152;
    ASSERT_EQ(Build(Statement()).code, 0);
    std::string bytes = ReadBytes(dir.File("OUT"));
    std::string line = Written()[1] + "\r\n";
    while (bytes.size() <= largest) bytes += line;
    WriteBytes(dir.File("HUGE"), bytes);

    Outcome shown = RunCli(dir, {"show", "HUGE"});
    EXPECT_EQ(shown.code, 1);
    EXPECT_NE(shown.err.find("Μη έγκυρο αρχείο"), std::string::npos) << shown.err;
    Outcome checked = RunCli(dir, {"check", "HUGE", "--date", "20240315"});
    EXPECT_EQ(checked.code, 1);
    EXPECT_EQ(json::parse(checked.out)["problems"], json({{{"line", 1}, {"message", "Μη έγκυρο αρχείο"}}}));

    // Sixty-four gigabytes that take no disk: read, they would not fit in memory.
    std::filesystem::resize_file(dir.File("HUGE"), 64ull << 30);
    for (const char* command : {"show", "check"}) {
        Outcome outcome = RunCli(dir, {command, "HUGE"});
        EXPECT_EQ(outcome.code, 1) << command;
        EXPECT_NE((outcome.out + outcome.err).find("Μη έγκυρο αρχείο"), std::string::npos) << outcome.err;
    }
}

// A pipe can be read once only.
TEST_F(CliTest, ShowAndCheckReadAPipe)
{
    json input = Statement();
    input["customers"] = {Row(ValidAfm("10000001"), "1", "5")};
    ASSERT_EQ(Build(input).code, 0);
    std::string bytes = ReadBytes(dir.File("OUT"));
    for (const char* command : {"show", "check"}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(ends[1]);
        Outcome outcome = RunCli(dir, {command, "/dev/stdin"}, [&] { ::dup2(ends[0], 0); });
        ::close(ends[0]);
        EXPECT_EQ(outcome.code, 0) << command << ": " << outcome.err;
        if (command == std::string("show")) {
            EXPECT_EQ(json::parse(outcome.out)["customers"].size(), 1u);
        }
    }
}

// ------------------------------------------------------------------ usage

TEST_F(CliTest, BadUsageAndHelp)
{
    WriteBytes(dir.File("in.json"), "{\"header\": {");
    Outcome malformed = RunCli(dir, {"build", "in.json", "-o", "OUT"});
    EXPECT_EQ(malformed.code, 2);
    EXPECT_TRUE(malformed.out.empty());
    EXPECT_EQ(Build({{"header", {{"AFM", 94019245}}}}).code, 2);
    EXPECT_EQ(Build({{"customers", {"not a row"}}}).code, 2);
    EXPECT_EQ(RunCli(dir, {"build", "in.json"}).code, 2);
    WriteBytes(dir.File("in.json"), "{\"header\": {}, \"unused\": 1e999}");
    Outcome overflow = RunCli(dir, {"build", "in.json", "-o", "OUT"});
    EXPECT_EQ(overflow.code, 2);
    EXPECT_NE(overflow.err.find("Μη έγκυρο JSON"), std::string::npos) << overflow.err;
    EXPECT_EQ(RunCli(dir, {"frobnicate"}).code, 2);
    EXPECT_EQ(RunCli(dir, {}).code, 2);
    EXPECT_EQ(RunCli(dir, {"check", "missing.txt"}).code, 2);

    for (const char* help : {"--help", "help"}) {
        Outcome shown = RunCli(dir, {help});
        EXPECT_EQ(shown.code, 0);
        EXPECT_NE(shown.out.find("Types the statement"), std::string::npos);
        EXPECT_NE(shown.out.find("Αναφέρει ΚΑΘΕ πρόβλημα"), std::string::npos);
    }
    Outcome version = RunCli(dir, {"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.starts_with("epinax-cli ")) << version.out;
}

// -------------------------------------------------------------------- zip

// stdout of a shell command, as bytes.
std::string CommandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, got);
    ::pclose(pipe);
    return out;
}

// A plain zip archive with the one member `name` (Windows-1253), flag 0 and
// deflate, that Info-ZIP's unzip extracts to `data`.
void ExpectArchiveOf(const std::string& archive, const std::string& name, const std::string& data)
{
    std::string bytes = ReadBytes(archive);
    ASSERT_GE(bytes.size(), 30 + name.size());
    EXPECT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(bytes.substr(6, 4), std::string("\x00\x00\x08\x00", 4)) << "flag 0, method 8";
    EXPECT_EQ(bytes.substr(30, name.size()), name);
    EXPECT_EQ(CommandOutput("zipinfo -1 '" + archive + "' | wc -l"), "1\n");
    EXPECT_TRUE(CommandOutput("unzip -p '" + archive + "'") == data);
}

TEST_F(CliTest, ZipPacksAFileBesideItAndReplacesOnlyWhenForced)
{
    const std::string data = "0IL01" + std::string(145, ' ') + "\r\n";
    WriteBytes(dir.File("ΔΗΛΩΣΗ.PIS"), data);
    Outcome packed = RunCli(dir, {"zip", "ΔΗΛΩΣΗ.PIS"});
    EXPECT_EQ(packed.code, 0) << packed.err;
    EXPECT_EQ(json::parse(packed.out), json({{"written", "ΔΗΛΩΣΗ.PIS.zip"}}));
    ExpectArchiveOf(dir.File("ΔΗΛΩΣΗ.PIS.zip"), "\xC4\xC7\xCB\xD9\xD3\xC7.PIS", data);

    const std::string earlier = ReadBytes(dir.File("ΔΗΛΩΣΗ.PIS.zip"));
    WriteBytes(dir.File("ΔΗΛΩΣΗ.PIS"), "changed");
    Outcome refused = RunCli(dir, {"zip", "ΔΗΛΩΣΗ.PIS"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_TRUE(refused.out.empty());
    EXPECT_EQ(ReadBytes(dir.File("ΔΗΛΩΣΗ.PIS.zip")), earlier);

    EXPECT_EQ(RunCli(dir, {"zip", "ΔΗΛΩΣΗ.PIS", "--force"}).code, 0);
    ExpectArchiveOf(dir.File("ΔΗΛΩΣΗ.PIS.zip"), "\xC4\xC7\xCB\xD9\xD3\xC7.PIS", "changed");

    // -o names the archive as given; the member keeps the source's name.
    std::filesystem::create_directory(dir.File("sub"));
    Outcome named = RunCli(dir, {"zip", dir.File("ΔΗΛΩΣΗ.PIS"), "-o", "sub/A.zip"});
    EXPECT_EQ(named.code, 0) << named.err;
    ExpectArchiveOf(dir.File("sub/A.zip"), "\xC4\xC7\xCB\xD9\xD3\xC7.PIS", "changed");
}

// Anything at the archive's name, a dangling link or a link to a folder
// too, is replaced only with --force; a run past the file size limit ends
// with the message; pieces of a dead run are swept, a living writer's kept.
TEST_F(CliTest, ZipRespectsEveryNameAndLeavesNoPieces)
{
    WriteBytes(dir.File("X.PIS"), "data");
    std::filesystem::create_directory(dir.File("folder"));
    std::filesystem::create_symlink("nowhere", dir.File("X.PIS.zip"));
    std::filesystem::create_symlink("folder", dir.File("F.zip"));
    for (const char* archive : {"X.PIS.zip", "F.zip"}) {
        EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "-o", archive}).code, 2) << archive;
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File(archive))) << archive;
    }
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "--force"}).code, 0);
    ExpectArchiveOf(dir.File("X.PIS.zip"), "X.PIS", "data");
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "-o", "F.zip", "--force"}).code, 0);
    ExpectArchiveOf(dir.File("F.zip"), "X.PIS", "data");
    EXPECT_EQ(std::filesystem::status(dir.File("F.zip")).permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none)
        << "the folder's permissions were taken";

    std::mt19937 random(5);
    std::string large(400'000, '\0');
    for (char& c : large) c = static_cast<char>(random());
    WriteBytes(dir.File("X.PIS"), large);
    const std::string earlier = ReadBytes(dir.File("X.PIS.zip"));
    Outcome limited = RunCli(dir, {"zip", "X.PIS", "--force"}, [] {
        std::signal(SIGXFSZ, SIG_DFL);
        const struct rlimit small = {100'000, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    EXPECT_EQ(limited.code, 2) << "ended by a signal, without a word";
    EXPECT_NE(limited.err.find("Δεν ήταν δυνατό να γραφτεί το αρχείο X.PIS.zip"), std::string::npos) << limited.err;
    EXPECT_EQ(ReadBytes(dir.File("X.PIS.zip")), earlier);

    WriteBytes(dir.File("X.PIS.zip.a1B2c3.epinax-new"), "left by kill -9");
    WriteBytes(dir.File("X.PIS.zip.LIVE99.epinax-new"), "being written");
    WriteBytes(dir.File("X.PIS.zip.backup"), "the user's own");
    const int living = ::open(dir.File("X.PIS.zip.LIVE99.epinax-new").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(living, LOCK_EX), 0);
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "--force"}).code, 0);
    ::close(living);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"F.zip", "X.PIS", "X.PIS.zip", "X.PIS.zip.LIVE99.epinax-new",
                                               "X.PIS.zip.backup", "folder"}));
}

TEST_F(CliTest, ZipNamesWhatItCannotReadOrWriteAndRefusesWhatTheFormatCannotHold)
{
    Outcome missing = RunCli(dir, {"zip", "ΛΕΙΠΕΙ.PIS"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_NE(missing.err.find("Δεν ήταν δυνατό να διαβαστεί το αρχείο ΛΕΙΠΕΙ.PIS: το αρχείο δεν υπάρχει"),
              std::string::npos)
        << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("ΛΕΙΠΕΙ.PIS.zip")));

    WriteBytes(dir.File("X.PIS"), "data");
    Outcome unwritable = RunCli(dir, {"zip", "X.PIS", "-o", "no/such/X.zip"});
    EXPECT_EQ(unwritable.code, 2);
    EXPECT_NE(unwritable.err.find("Δεν ήταν δυνατό να γραφτεί το αρχείο no/such/X.zip"), std::string::npos)
        << unwritable.err;

    WriteBytes(dir.File("файл.txt"), "data");
    Outcome cyrillic = RunCli(dir, {"zip", "файл.txt"});
    EXPECT_EQ(cyrillic.code, 1);
    EXPECT_NE(cyrillic.err.find("μετονομάστε"), std::string::npos) << cyrillic.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("файл.txt.zip")));

    {
        std::ofstream(dir.File("BIG.PIS"));
        std::filesystem::resize_file(dir.File("BIG.PIS"), std::uintmax_t{1} << 32);  // sparse
    }
    Outcome big = RunCli(dir, {"zip", "BIG.PIS"});
    EXPECT_EQ(big.code, 1);
    EXPECT_NE(big.err.find("4 GiB"), std::string::npos) << big.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("BIG.PIS.zip")));

    EXPECT_EQ(RunCli(dir, {"zip"}).code, 2);
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "Y.PIS"}).code, 2);
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "--date", "20240101"}).code, 2);
    EXPECT_EQ(RunCli(dir, {"zip", "X.PIS", "-o", ""}).code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("X.PIS.zip")));

    Outcome help = RunCli(dir, {"--help"});
    EXPECT_NE(help.out.find("Packs FILE into a zip archive"), std::string::npos);
    EXPECT_NE(help.out.find("Συμπιέζει το FILE"), std::string::npos);
}

}  // namespace

// ------------------------------------------------------------------ import

TEST_F(CliTest, ImportAddsAWorkbooksRowsAndSavesOrSaysWhyNot)
{
    ASSERT_EQ(Build(Statement()).code, 0);
    const std::string workbooks = std::string(EPINAX_TEST_DATA) + "/workbooks/";
    Outcome imported = RunCli(
        dir, {"import", "OUT", workbooks + "import-good.ods", "--suppliers", "-o", "WITH", "--date", "20240315"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    std::vector<std::string> lines = FileLines(ReadBytes(dir.File("WITH")));
    ASSERT_EQ(lines.size(), 5u);  // form, header, two suppliers, their totals
    EXPECT_EQ(lines[2].substr(0, 15), "400001094014201");
    EXPECT_EQ(lines[3].substr(0, 15), "400002000000104");
    EXPECT_EQ(lines[3].substr(99, 16), "0000000000025000");  // -250 stored as 250

    Outcome again = RunCli(dir, {"import", "WITH", workbooks + "import-good.csv", "--suppliers", "-o", "AGAIN"});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("έχει εισαχθεί 2 φορές στους προμηθευτές"), std::string::npos) << again.err;
    EXPECT_NE(again.err.find("Η εισαγωγή διακόπηκε"), std::string::npos) << again.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("AGAIN")));

    // A workbook it cannot read: 2, the reason on the line after the message.
    for (const char* unreadable : {"narrow.xlsx", "missing.xlsx"}) {
        Outcome narrow = RunCli(dir, {"import", "OUT", workbooks + unreadable, "--customers", "-o", "N"});
        EXPECT_EQ(narrow.code, 2) << unreadable;
        EXPECT_NE(narrow.err.find("Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου.\n"), std::string::npos) << narrow.err;
        EXPECT_EQ(narrow.err.find("Excel"), std::string::npos) << narrow.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("N")));
    }
    EXPECT_EQ(RunCli(dir, {"import", "OUT", workbooks + "import-good.xlsx", "-o", "N"}).code, 2);  // which list?
    EXPECT_EQ(RunCli(dir, {"import", "OUT", workbooks + "import-good.xlsx", "--customers", "-o", "WITH"}).code, 2);
}

// A workbook laid out otherwise comes in by the options that say where its
// rows are; every refused row is reported; a bad option value is bad usage.
TEST_F(CliTest, ImportByLayoutOptionsReportsEveryRefusedRow)
{
    ASSERT_EQ(Build(Statement()).code, 0);
    const std::string workbooks = std::string(EPINAX_TEST_DATA) + "/workbooks/";
    Outcome imported =
        RunCli(dir, {"import", "OUT", workbooks + "layout-two-headings.ods", "--customers", "-o", "WITH", "--sheet",
                     "Φύλλο1", "--header-rows=2", "--columns", "afm=C,name=B,obliged=G,invoices=F,value=E"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    std::vector<std::string> lines = FileLines(ReadBytes(dir.File("WITH")));
    ASSERT_EQ(lines.size(), 6u);  // form, header, three customers, their totals
    EXPECT_EQ(lines[2].substr(0, 15), "200001094014201");
    EXPECT_EQ(lines[2].substr(99, 16), "0000000000123450");  // "1.234,50" read as 1234.50

    Outcome refused = RunCli(
        dir, {"import", "OUT", workbooks + "layout-problems.xlsx", "--customers", "-o", "N", "--header-rows", "1"});
    EXPECT_EQ(refused.code, 1);
    for (const char* problem : {"Γραμμή 3, στήλη D: Λάθος στη γραμμή 3 του αρχείου: Η στήλη Υπόχρεος",
                                "Γραμμή 4, στήλη I: Λάθος στη γραμμή 4", "Γραμμή 5, στήλη J: Λάθος στη γραμμή 5",
                                "Γραμμή 6, στήλη A: Ο ΑΦΜ: 094014201 έχει εισαχθεί 2 φορές"})
        EXPECT_NE(refused.err.find(problem), std::string::npos) << problem << "\n" << refused.err;

    for (std::vector<std::string> bad : {std::vector<std::string>{"--sheet", "0"},
                                         {"--sheet", "Άλλο"},
                                         {"--header-rows", "-1"},
                                         {"--columns", "afm=1"},
                                         {"--columns", "colour=B"},
                                         {"--columns", "afm=B,afm=C"},
                                         {"--columns", "afm=BM"}}) {
        std::vector<std::string> args{"import", "OUT", workbooks + "layout-heading.xlsx", "--customers", "-o", "N"};
        args.insert(args.end(), bad.begin(), bad.end());
        Outcome outcome = RunCli(dir, args);
        EXPECT_EQ(outcome.code, 2) << bad[1] << outcome.err;
    }
    EXPECT_EQ(RunCli(dir, {"show", "OUT", "--sheet", "1"}).code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("N")));
}
