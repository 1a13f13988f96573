// The command-line tool, run as a user runs it: a separate process in a
// temporary directory, its exit code, its stdout (JSON) and stderr.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "entry/TaxNumber.h"

namespace {

using nlohmann::json;
using epinax::test::ReadBytes;
using epinax::test::TempDir;
using epinax::test::WriteBytes;

struct Outcome {
    int code = -1;
    std::string out, err;
};

// Runs the tool with `args` in `dir`, which is also its TMPDIR so that
// leftovers of its private directories can be seen.
Outcome RunCli(const TempDir& dir, const std::vector<std::string>& args)
{
    std::string outFile = dir.File(".stdout"), errFile = dir.File(".stderr");
    pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.Path().c_str()) != 0) ::_exit(127);
        ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        ::setenv("TMPDIR", dir.Path().c_str(), 1);
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
    return {{"date", "20240315"},
            {"header",
             {{"YearOfData", "2023"}, {"DOY", "1101"}, {"CompanyName", "ΑΛΦΑ ΑΕ"}, {"AFM", kOwnAfm},
              {"Egatastash", "Ε"}}},
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
    bool NoPrivateDirectoryLeft() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename().string().starts_with("epinax-cli-")) return false;
        return true;
    }

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
    EXPECT_TRUE(NoPrivateDirectoryLeft());

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
    EXPECT_EQ(lines[4], "3999999011" "0000000000005000" "999999999" "0000000000000025" "0000000000105000" +
                            std::string(83, ' '));
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
    EXPECT_TRUE(NoPrivateDirectoryLeft());
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
    EXPECT_TRUE(NoPrivateDirectoryLeft());
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
        {{"line", 2}, {"message", "Η αποθήκευση σε αρχείο απέτυχε: Γράψτε το έτος που αφορούν τα στοιχεία, με "
                                  "τέσσερα ψηφία και επαναλάβετε την αποθήκευση."}},
        {{"line", 2}, {"message", "Η αποθήκευση σε αρχείο απέτυχε: Συμπληρώστε το Είδος εγκατάστασης και "
                                  "επαναλάβετε την αποθήκευση."}},
        {{"line", 4}, {"message", "Ο ΑΦΜ: " + ValidAfm("10000001") + " έχει εισαχθεί 2 φορές στους πελάτες"}},
        {{"line", 5}, {"message", "Το σύνολο τιμολογίων της γραμμής 5 δεν συμφωνεί με τις γραμμές των πελατών "
                                  "(αναμενόταν 25, βρέθηκε 24)"}},
        {{"line", 6}, {"message", "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής "
                                  "είναι λανθασμένο"}},
    };
    EXPECT_EQ(json::parse(checked.out)["problems"], expected) << checked.out;
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
    EXPECT_EQ(RunCli(dir, {"frobnicate"}).code, 2);
    EXPECT_EQ(RunCli(dir, {}).code, 2);
    EXPECT_EQ(RunCli(dir, {"check", "missing.txt"}).code, 2);

    for (const char* help : {"--help", "help"}) {
        Outcome shown = RunCli(dir, {help});
        EXPECT_EQ(shown.code, 0);
        EXPECT_NE(shown.out.find("Types the statement"), std::string::npos);
        EXPECT_NE(shown.out.find("Αναφέρει ΚΑΘΕ πρόβλημα"), std::string::npos);
    }
}

}  // namespace
