// The workbook readers on the small files under tests/workbooks/, made by
// tools/make-test-workbooks.py.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <ostream>
#include <string>

#include "TestSupport.h"
#include "common/Greek.h"
#include "import/Isolated.h"
#include "import/Workbook.h"
#include "import/WorkbookParts.h"

namespace epinax {

void PrintTo(const TCell& cell, std::ostream* out)
{
    if (cell.kind == TCell::Kind::Text)
        *out << "text \"" << cp1253::ToUtf8(cell.text) << '"';
    else if (cell.kind == TCell::Kind::Number)
        *out << "number " << cell.number;
    else
        *out << "empty";
}

namespace {

std::string Workbook(const std::string& name) { return std::string(EPINAX_TEST_DATA) + "/workbooks/" + name; }

TCell T(const char* utf8) { return TCell::Text(G(utf8)); }
TCell N(double number) { return TCell::Number(number); }
const TCell E{};

void ExpectRow(const TSheetBlock& block, int row, std::initializer_list<TCell> cells)
{
    int column = 0;
    for (const TCell& expected : cells) {
        EXPECT_EQ(block.At(row, column), expected) << CellName(row, column);
        ++column;
    }
}

void ExpectRowEmpty(const TSheetBlock& block, int row)
{
    for (int column = 0; column < block.columns; ++column)
        EXPECT_TRUE(block.At(row, column).IsEmpty()) << CellName(row, column);
}

// The message of the refusal, in UTF-8 for reading in a failed test.
std::string Refusal(const std::string& path)
{
    try {
        ReadFirstSheet(path);
    } catch (const EWorkbookError& error) {
        return error.what();
    }
    ADD_FAILURE() << path << " was read";
    return {};
}

// ------------------------------------------------------------ the good sheet

class GoodSheet : public ::testing::TestWithParam<const char*> {};

TEST_P(GoodSheet, MixedCellsBlankRowsAndTheSecondSheetIgnored)
{
    const TSheetBlock block = ReadFirstSheet(Workbook(GetParam()));
    // Row 5 holds only a note in column L; a formatted empty cell at C40 is no used cell.
    ASSERT_EQ(block.rows, 5);
    ASSERT_EQ(block.columns, 12);
    ExpectRow(block, 0,
              {T("094014201"), T("ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε."), T("ΕΜΠΟΡΙΟ"), N(0), T("ΑΘΗΝΑ"), T("ΣΤΑΔΙΟΥ"), T("12"),
               T("10564"), N(3), N(1500.5), E, E});
    ExpectRow(block, 1,
              {N(94014201), T("Κώστας Νικολάου"), T("Λογιστής"), N(1), T("Πάτρα"), T("Μαιζώνος"), N(5), N(26221), N(1),
               N(-250)});
    ExpectRowEmpty(block, 2);
    ExpectRow(block, 3, {T("998877665"), T("ALPHA LTD"), T("SHIPPING"), N(1.5)});
    ExpectRow(block, 4, {E, E, E, E, E, E, E, E, E, E, E, T("σημείωση")});
}

INSTANTIATE_TEST_SUITE_P(Workbooks, GoodSheet, ::testing::Values("good.xls", "good.xlsx", "good.ods"));

class GoodCsv : public ::testing::TestWithParam<const char*> {};

// Separators ';' and ',', a byte order mark and Windows-1253 bytes read alike;
// every cell is text.
TEST_P(GoodCsv, EveryCellIsText)
{
    const TSheetBlock block = ReadFirstSheet(Workbook(GetParam()));
    ASSERT_EQ(block.rows, 5);
    ASSERT_EQ(block.columns, 12);
    ExpectRow(block, 0,
              {T("094014201"), T("ΠΑΠΑΔΟΠΟΥΛΟΣ Α.Ε."), T("ΕΜΠΟΡΙΟ"), T("0"), T("ΑΘΗΝΑ"), T("ΣΤΑΔΙΟΥ"), T("12"),
               T("10564"), T("3"), T("1500,5"), E, E});
    ExpectRow(block, 1,
              {T("94014201"), T("Κώστας Νικολάου"), T("Λογιστής"), T("1"), T("Πάτρα"), T("Μαιζώνος"), T("5"),
               T("26221"), T("1"), T("-250")});
    ExpectRowEmpty(block, 2);
    ExpectRow(block, 3, {T("998877665"), T("ALPHA LTD"), T("SHIPPING"), T("1,5")});
    ExpectRow(block, 4, {E, E, E, E, E, E, E, E, E, E, E, T("σημείωση")});
}

INSTANTIATE_TEST_SUITE_P(Files, GoodCsv,
                         ::testing::Values("good.csv", "good-bom.csv", "good-comma.csv", "good-1253.csv"));

// ---------------------------------------------------- small and narrow blocks

class SmallSheets : public ::testing::TestWithParam<const char*> {};

TEST_P(SmallSheets, NarrowBlockAndOnlyA1)
{
    const std::string kind = GetParam();
    const TSheetBlock narrow = ReadFirstSheet(Workbook("narrow" + kind));
    EXPECT_EQ(narrow.rows, 2);
    EXPECT_EQ(narrow.columns, 3);
    ExpectRow(narrow, 1, {T("998877665"), T("ΦΥΛΛΟ"), N(1)});

    const TSheetBlock single = ReadFirstSheet(Workbook("a1only" + kind));
    EXPECT_EQ(single.rows, 1);
    EXPECT_EQ(single.columns, 1);
    EXPECT_EQ(single.At(0, 0), T("094014201"));
    EXPECT_THROW(single.At(0, 1), std::out_of_range);
    EXPECT_THROW(single.At(1, 0), std::out_of_range);
}

TEST_P(SmallSheets, CharacterOutsideTheCodePageRefusedNamingTheCell)
{
    // "Zhōng 中": the first character the code page lacks is named.
    const std::string message = Refusal(Workbook("unsupported" + std::string(GetParam())));
    EXPECT_NE(message.find("Το κελί B2 περιέχει χαρακτήρα που δεν υποστηρίζεται (U+014D)"), std::string::npos)
        << message;
}

INSTANTIATE_TEST_SUITE_P(Workbooks, SmallSheets, ::testing::Values(".xls", ".xlsx", ".ods"));

// ---------------------------------------------------------------- formulas

class StoredFormulaValues : public ::testing::TestWithParam<const char*> {};

TEST_P(StoredFormulaValues, AreRead)
{
    const TSheetBlock block = ReadFirstSheet(Workbook(GetParam()));
    ASSERT_EQ(block.rows, 1);
    ASSERT_EQ(block.columns, 6);
    ExpectRow(block, 0, {N(2), N(6), T("abγ"), N(1), N(94014201), N(94014201)});
}

INSTANTIATE_TEST_SUITE_P(Workbooks, StoredFormulaValues,
                         ::testing::Values("formulas.xlsx", "formulas.ods", "formulas.xls"));

// Written by LibreOffice: a text result continued over several records, an
// empty text, a rounded number; a formula whose value is missing is refused.
TEST(XlsFormulas, TextResultsAndAFormulaWithoutItsValue)
{
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += G("Ωα");
    ExpectRow(ReadFirstSheet(Workbook("formula-texts.xls")), 0, {TCell::Text(longText), TCell::Text(""), N(3.33)});
    const std::string message = Refusal(Workbook("formula-without-value.xls"));
    EXPECT_NE(message.find("Το κελί C1 περιέχει τύπο χωρίς αποθηκευμένη τιμή"), std::string::npos) << message;
}

TEST(FormulaErrors, RefusedNamingTheCell)
{
    EXPECT_NE(Refusal(Workbook("error.xlsx")).find("Το κελί B1 περιέχει σφάλμα τύπου (#DIV/0!)"), std::string::npos);
    EXPECT_NE(Refusal(Workbook("error.ods")).find("Το κελί A1 περιέχει σφάλμα τύπου (#DIV/0!)"), std::string::npos);
    EXPECT_NE(Refusal(Workbook("formula-error.xls")).find("Το κελί B1 περιέχει σφάλμα τύπου (#DIV/0!)"),
              std::string::npos);
}

// ----------------------------------------------- what other writers may do

// The first sheet in the workbook's order, not the first part; cells out of
// order and without positions; rich texts without their phonetic guide;
// Excel's escapes; inline and formula texts; booleans; a lying dimension.
TEST(XlsxStructure, HandWrittenPackage)
{
    const TSheetBlock block = ReadXlsx(Workbook("crafted.xlsx"));
    ASSERT_EQ(block.rows, 3);
    ASSERT_EQ(block.columns, 6);
    ExpectRow(block, 0, {TCell::Text(G("Α") + "\r" + G("Β") + "_x0041_"), T("ΠΑΠΑΔΟΠΟΥΛΟΣ "), N(1), N(1000), E, E});
    ExpectRow(block, 1, {T("abγ"), E, E, N(0), N(45322), N(-0.5)});
    ExpectRow(block, 2, {E, E, T("Νέα Σμύρνη"), E, E, E});
}

// Repeated cells and rows with values, a merged area, paragraphs with spaces,
// tabs and line breaks, a note that is no part of the value, every value type,
// and an empty tail of a whole sheet that is never stored.
TEST(OdsStructure, RepetitionsParagraphsAndValueTypes)
{
    const TSheetBlock block = ReadOds(Workbook("crafted.ods"));
    ASSERT_EQ(block.rows, 3);
    ASSERT_EQ(block.columns, 6);
    ExpectRow(block, 0, {N(7), N(7), N(7), TCell::Text(G("ΟΔΟΣ  ΕΡΜΟΥ") + "\n" + G("ΑΘΗΝΑ") + "\t1\n2"), E, N(0)});
    for (int row : {1, 2}) ExpectRow(block, row, {N(0.25), N(-250), N(45322), N(0.5), T("ΤΙΜΗ"), T("χωρίς τύπο")});
}

TEST(OdsStructure, WideSheetKeepsItsWidthAndSixteenColumns)
{
    const TSheetBlock block = ReadOds(Workbook("wide.ods"));
    ASSERT_EQ(block.rows, 1);
    EXPECT_EQ(block.columns, 20);
    EXPECT_EQ(block.StoredColumns(), TSheetBlock::kStoredColumns);
    EXPECT_EQ(block.At(0, 0), N(1));
    EXPECT_TRUE(block.At(0, 19).IsEmpty());  // column T is past the kept ones
    EXPECT_THROW(block.At(0, 20), std::out_of_range);
}

TEST(Limits, SheetLongerThanAListRefused)
{
    EXPECT_NE(Refusal(Workbook("tall.ods")).find("περισσότερες από 99999 γραμμές"), std::string::npos);
}

// Hostile files are refused as soon as what they hold exceeds any sheet:
// elements nested 100000 deep, a start tag of 16 MiB.
TEST(Limits, NestingAndTagsBeyondAnySheetRefused)
{
    EXPECT_NE(Refusal(Workbook("deep.ods")).find("σε βάθος μεγαλύτερο από 100"), std::string::npos);
    EXPECT_NE(Refusal(Workbook("huge-tag.xlsx")).find("έχει ετικέτα XML μεγαλύτερη από 1 MB"), std::string::npos);
}

// ---------------------------------------------------------------- CSV quoting

TEST(CsvQuoting, QuotesDoubledQuotesSeparatorsAndLineBreaks)
{
    const TSheetBlock block = ReadCsv(Workbook("quotes.csv"));
    ASSERT_EQ(block.rows, 3);
    ASSERT_EQ(block.columns, 3);
    ExpectRow(block, 0, {T("ΟΝΟΜΑ"), T("ΟΔΟΣ \"ΕΡΜΟΥ\""), T("α;β")});
    ExpectRow(block, 1, {TCell::Text(G("δύο") + "\r\n" + G("γραμμές")), E, T("τέλος")});
    // A quote never closed takes the rest of the file.
    ExpectRow(block, 2, {T("ανοιχτό;x"), E, E});
}

TEST(CsvQuoting, SeparatorFromTheFirstLineOutsideQuotes)
{
    const TSheetBlock block = ReadCsv(Workbook("comma-in-quotes.csv"));
    ASSERT_EQ(block.rows, 2);
    ASSERT_EQ(block.columns, 2);
    ExpectRow(block, 0, {T("α,β"), T("γ")});
    ExpectRow(block, 1, {T("1,2"), E});
}

TEST(CsvQuoting, EmptyFileIsAnEmptyBlock)
{
    const TSheetBlock block = ReadCsv(Workbook("empty.csv"));
    EXPECT_EQ(block.rows, 0);
    EXPECT_EQ(block.columns, 0);
}

// ---------------------------------------------------------------- refusals

class NoWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(NoWorkbook, RefusedWithTheFileNamed)
{
    const std::string name = GetParam();
    const std::string message = Refusal(Workbook(name));
    EXPECT_NE(message.find("Το αρχείο " + name + " δεν είναι έγκυρο αρχείο ."), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Files, NoWorkbook,
                         ::testing::Values("notworkbook.xls", "notworkbook.xlsx", "notworkbook.ods", "empty.xls",
                                           "empty.xlsx", "empty.ods", "zip-without-workbook.xlsx"));

TEST(Refusals, MissingFileAndFolderSayWhy)
{
    EXPECT_NE(Refusal(Workbook("missing.xlsx")).find("(το αρχείο δεν υπάρχει)"), std::string::npos);
    EXPECT_NE(Refusal(Workbook("missing.csv")).find("(το αρχείο δεν υπάρχει)"), std::string::npos);
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("folder.xls"));
    EXPECT_NE(Refusal(dir.File("folder.xls")).find("(είναι φάκελος)"), std::string::npos);
}

// ------------------------------------------------------- choice of reader

TEST(ReaderChoice, ExtensionInAnyCaseThenContent)
{
    test::TempDir dir;
    const auto copy = [&](const char* from, const char* to) {
        std::filesystem::copy_file(Workbook(from), dir.File(to));
        return dir.File(to);
    };
    EXPECT_EQ(ReadFirstSheet(copy("narrow.xlsx", "NARROW.XLSX")).columns, 3);
    EXPECT_EQ(ReadFirstSheet(copy("narrow.xls", "narrow.dat")).columns, 3);
    EXPECT_EQ(ReadFirstSheet(copy("narrow.xlsx", "narrow")).columns, 3);
    EXPECT_EQ(ReadFirstSheet(copy("narrow.ods", "narrow.ods.bak")).columns, 3);
    EXPECT_NE(Refusal(copy("good.csv", "good.txt")).find("δεν είναι βιβλίο εργασίας"), std::string::npos);
}

// ------------------------------------------------ the confined helper

// Inputs that crash FreeXL (found by fuzzing it, one per fault): the helper
// goes down, or FreeXL gives up, and the program hears only that the file
// cannot be read. The user's "Διακοπή" ends the reading at once.
TEST(ReadingHelper, CrashesGiveTheUnreadableRefusalAndTheUserMayStop)
{
    for (const std::string name : {"freexl-open-segv.xls", "freexl-iconv-stack-underflow.xls"}) {
        const std::string message = Refusal(Workbook("../../fuzz/import/known-crashes/" + name));
        EXPECT_TRUE(message.starts_with("Το αρχείο " + name + " δεν") && message.find("κατεστραμμένο") != message.npos)
            << message;
    }
    int asked = 0;
    EXPECT_THROW(ReadFirstSheet(Workbook("good.xlsx"), [&] { return ++asked > 1; }), EWorkbookReadingStopped);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadFirstSheet(Workbook("good.csv"), [] { return true; }).rows, 5);
}

// Whatever the helper does instead of answering, the file is unreadable:
// it hangs, says more than any block, fails, or says something else.
TEST(ReadingHelper, HangingFailingOrBabblingGivesTheUnreadableRefusal)
{
    const std::pair<const char*, const char*> helpers[] = {
        {"/bin/sleep", "10"}, {"/bin/cat", "/dev/zero"}, {"/bin/false", "x"}, {"/bin/echo", "x"}};
    for (const auto& [helper, argument] : helpers) {
        try {
            ReadInHelper(
                helper, argument, [] { return true; }, 1);
            ADD_FAILURE() << helper << " gave a block";
        } catch (const EWorkbookError& error) {
            EXPECT_NE(std::string(error.what()).find("δεν διαβάζεται"), std::string::npos) << helper;
        }
    }
}

bool Refused(int result) { return result < 0 && errno == EPERM; }

// What a reader confined may still do (read a file) and what it may not.
bool ConfinedAsPromised(const std::string& dir)
{
    const std::string existing = dir + "/existing", other = dir + "/other";
    const int readable = ::open(existing.c_str(), O_RDONLY);
    rlimit fileSize{};
    char* const noArguments[] = {nullptr};
    return readable >= 0 && ::close(readable) == 0 && Refused(::open(existing.c_str(), O_WRONLY)) &&
           Refused(::open(existing.c_str(), O_RDWR)) && Refused(::open(other.c_str(), O_RDONLY | O_CREAT, 0600)) &&
           Refused(::open(existing.c_str(), O_RDONLY | O_TRUNC)) && Refused(::unlink(existing.c_str())) &&
           Refused(::rename(existing.c_str(), other.c_str())) && Refused(::mkdir(other.c_str(), 0700)) &&
           Refused(::symlink(existing.c_str(), other.c_str())) && Refused(::link(existing.c_str(), other.c_str())) &&
           Refused(::socket(AF_UNIX, SOCK_STREAM, 0)) && Refused(::execv("/bin/true", noArguments)) &&
           ::prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) == 1 && ::getrlimit(RLIMIT_FSIZE, &fileSize) == 0 &&
           fileSize.rlim_max == 0 && std::filesystem::exists(existing) && !std::filesystem::exists(other);
}

TEST(ReadingHelperDeathTest, ConfinedToReading)
{
    test::TempDir dir;
    std::ofstream(dir.File("existing")) << "x";
    EXPECT_EXIT(::_exit((ConfineReader(), ConfinedAsPromised(dir.File("")) ? 0 : 1)), ::testing::ExitedWithCode(0), "");
}

// FreeXL and OpenDocument write dates out; they are given back as Excel's
// serial numbers, with Excel's 29 February 1900.
TEST(Dates, AsExcelSerialNumbers)
{
    using workbook::DateSerial;
    EXPECT_EQ(DateSerial("1900-01-01"), 1);
    EXPECT_EQ(DateSerial("1900-02-28"), 59);
    EXPECT_EQ(DateSerial("1900-02-29"), 60);
    EXPECT_EQ(DateSerial("1900-03-01"), 61);
    EXPECT_EQ(DateSerial("2024-01-31"), 45322);
    EXPECT_EQ(DateSerial("2024-01-31T12:00:00"), 45322.5);
    EXPECT_EQ(DateSerial("2024-01-31 06:00:00"), 45322.25);
    EXPECT_EQ(DateSerial("18:00:00"), 0.75);
    EXPECT_EQ(DateSerial("2023-02-29"), std::nullopt);
    EXPECT_EQ(DateSerial("2024-13-01"), std::nullopt);
    EXPECT_EQ(DateSerial("2024-01-31X"), std::nullopt);
}

TEST(CellNames, AsSpreadsheetsWriteThem)
{
    EXPECT_EQ(CellName(0, 0), "A1");
    EXPECT_EQ(CellName(6, 1), "B7");
    EXPECT_EQ(CellName(0, 25), "Z1");
    EXPECT_EQ(CellName(0, 26), "AA1");
    EXPECT_EQ(CellName(99998, 16383), "XFD99999");
}

}  // namespace
}  // namespace epinax

// A damaged sheet whose cells stand outside any row (found by the fuzzer):
// refused with the damaged-cell message, not read out of the block.
TEST(WorkbookDamaged, CellsOutsideAnyRowAreRefused)
{
    try {
        epinax::ReadFirstSheet(std::string(EPINAX_TEST_DATA) + "/workbooks/cell-outside-rows.xlsx");
        ADD_FAILURE() << "read";
    } catch (const epinax::EWorkbookError& error) {
        EXPECT_NE(std::string(error.what()).find("κατεστραμμένο"), std::string::npos) << error.what();
    }
}
