// The lists written out as a spreadsheet and read back with the program's own
// workbook readers: the heading row and every cell, in each format.
#include <cstdio>
#include <filesystem>

#include "ListSupport.h"
#include "TestSupport.h"
#include "common/Greek.h"
#include "entry/Counterparty.h"
#include "import/Workbook.h"
#include "outputs/ListWorkbook.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// A leading zero, Greek text with the separator and quotes, an empty
// profession, cents, counts.
const std::vector<TestRow> kCustomers{
    {"012345678", "ΠΑΠΑΔΟΠΟΥΛΟΣ & ΣΙΑ; \"ΟΕ\"", "ΕΜΠΟΡΟΣ", "0", "ΑΘΗΝΑ", "ΣΤΑΔΙΟΥ", "12", "10564", "3", "1200,5"},
    {"997733556", "ΑΛΦΑ ΑΕ", "", "1", "ΠΑΤΡΑ", "ΚΟΡΙΝΘΟΥ", "7Α", "26221", "12", "800,05"},
};
const std::vector<TestRow> kSuppliers{
    {"094019245", "ΒΗΤΑ ΕΠΕ", "ΧΟΝΔΡΕΜΠΟΡΙΟ", "0", "ΛΑΡΙΣΑ", "ΠΑΠΑΦΛΕΣΣΑ", "1", "41222", "1", "15"},
};

TCell Text(const std::string& utf8) { return utf8.empty() ? TCell() : TCell::Text(G(utf8)); }

// What a reader must give back: numbers as numbers in a workbook, every cell
// as text in a .csv, with the value's two decimals and comma.
std::vector<TCell> Expected(const TestRow& row, bool csv)
{
    const double value = std::stod([&] {
        std::string v = row.value;
        for (char& c : v)
            if (c == ',') c = '.';
        return v;
    }());
    char fixed[32];
    std::snprintf(fixed, sizeof fixed, "%.2f", value);
    std::string shown = fixed;
    shown.replace(shown.find('.'), 1, ",");
    auto number = [&](const std::string& text, double n) { return csv ? TCell::Text(text) : TCell::Number(n); };
    return {Text(row.afm),
            Text(row.name),
            Text(row.prof),
            number(row.ypovolh, std::stod(row.ypovolh)),
            Text(row.city),
            Text(row.street),
            Text(row.streetNo),
            Text(row.tk),
            number(row.invoices, std::stod(row.invoices)),
            csv ? TCell::Text(shown) : TCell::Number(value)};
}

void ExpectSheet(const TSheetBlock& block, const std::vector<TestRow>& rows, bool csv)
{
    ASSERT_EQ(block.rows, static_cast<int>(rows.size()) + 1);
    ASSERT_EQ(block.columns, kWorkbookColumns);
    for (int c = 0; c < kWorkbookColumns; ++c)
        EXPECT_EQ(block.At(0, c), Text(WorkbookHeadings()[static_cast<size_t>(c)])) << "heading " << c;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<TCell> expected = Expected(rows[r], csv);
        for (int c = 0; c < kWorkbookColumns; ++c)
            EXPECT_EQ(block.At(static_cast<int>(r) + 1, c), expected[static_cast<size_t>(c)])
                << CellName(static_cast<int>(r) + 1, c);
    }
}

std::string Unzipped(const std::string& archive, const std::string& member)
{
    std::string out;
    FILE* pipe = ::popen(("unzip -p '" + archive + "' '" + member + "'").c_str(), "r");
    char buffer[4096];
    for (size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    if (pipe) ::pclose(pipe);
    return out;
}

TEST(ListWorkbook, XlsxRoundTrip)
{
    TempDir dir;
    List customers(TSide::Customers, kCustomers), suppliers(TSide::Suppliers, kSuppliers);
    const std::string path = dir.File("lists.xlsx");
    ASSERT_TRUE(WriteListWorkbook({{TSide::Customers, &customers.Store()}, {TSide::Suppliers, &suppliers.Store()}},
                                  path, *WorkbookFormatOf(path)));
    ExpectSheet(ReadXlsx(path), kCustomers, false);
    const std::string workbook = Unzipped(path, "xl/workbook.xml");
    EXPECT_NE(workbook.find("name=\"Πελάτες\""), std::string::npos) << workbook;
    EXPECT_NE(workbook.find("name=\"Προμηθευτές\""), std::string::npos) << workbook;
    EXPECT_NE(Unzipped(path, "xl/styles.xml").find("#,##0.00"), std::string::npos);
}

TEST(ListWorkbook, OdsRoundTrip)
{
    TempDir dir;
    List suppliers(TSide::Suppliers, kSuppliers), customers(TSide::Customers, kCustomers);
    const std::string path = dir.File("lists.ODS");
    ASSERT_EQ(WorkbookFormatOf(path), TWorkbookFormat::Ods);
    ASSERT_TRUE(WriteListWorkbook({{TSide::Suppliers, &suppliers.Store()}, {TSide::Customers, &customers.Store()}},
                                  path, TWorkbookFormat::Ods));
    ExpectSheet(ReadOds(path), kSuppliers, false);
    // The mimetype first and stored, as the format asks.
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(30, 8), "mimetype");
    EXPECT_EQ(bytes.substr(38, 46), "application/vnd.oasis.opendocument.spreadsheet");
    const std::string content = Unzipped(path, "content.xml");
    EXPECT_LT(content.find("table:name=\"Προμηθευτές\""), content.find("table:name=\"Πελάτες\""));
}

TEST(ListWorkbook, CsvRoundTrip)
{
    TempDir dir;
    List customers(TSide::Customers, kCustomers);
    const std::string path = dir.File("pelates.csv");
    ASSERT_TRUE(WriteListWorkbook({{TSide::Customers, &customers.Store()}}, path, TWorkbookFormat::Csv));
    ExpectSheet(ReadCsv(path), kCustomers, true);
    const std::string bytes = ReadBytes(path);
    EXPECT_TRUE(
        bytes.starts_with("\xEF\xBB\xBF"
                          "ΑΦΜ;Επωνυμία;"))
        << bytes;
    EXPECT_NE(bytes.find("\r\n012345678;\"ΠΑΠΑΔΟΠΟΥΛΟΣ & ΣΙΑ; \"\"ΟΕ\"\"\";ΕΜΠΟΡΟΣ;0;"), std::string::npos) << bytes;
    EXPECT_THROW(WriteListWorkbook({{TSide::Customers, &customers.Store()}, {TSide::Customers, &customers.Store()}},
                                   dir.File("two.csv"), TWorkbookFormat::Csv),
                 std::invalid_argument);
}

// Stopped half-way, the export leaves the earlier file whole and nothing beside it.
TEST(ListWorkbook, StoppedLeavesEarlierFile)
{
    TempDir dir;
    List customers(TSide::Customers, kCustomers);
    for (const char* name : {"a.xlsx", "a.ods", "a.csv"}) {
        const std::string path = dir.File(name);
        WriteBytes(path, "earlier");
        EXPECT_FALSE(WriteListWorkbook({{TSide::Customers, &customers.Store()}}, path, *WorkbookFormatOf(path),
                                       [](int done, int total) { return done < total; }));
        EXPECT_EQ(ReadBytes(path), "earlier") << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

}  // namespace
