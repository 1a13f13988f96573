// The printed statement of a list: the report's bytes, whole, against the
// form's lines written out here, and the file that holds them.
#include <filesystem>
#include <map>

#include "ListSupport.h"
#include "StatementFixture.h"
#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Greek.h"
#include "entry/Counterparty.h"
#include "outputs/Print.h"
#include "record_store/SdfData.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// ------------------------------------------------------------ the lists

const TestRow kPapadopoulos{"094019245", "ΠΑΠΑΔΟΠΟΥΛΟΣ ΓΙΩΡΓΟΣ", "ΕΜΠΟΡΟΣ", "0", "ΑΘΗΝΑ", "ΣΤΑΔΙΟΥ", "12", "10564", "3",
                            "1200,5"};
const TestRow kAlfa{"997733556", "ΑΛΦΑ ΑΕ", "", "1", "ΠΑΤΡΑ", "ΚΟΡΙΝΘΟΥ", "7", "26221", "12", "800"};

// ------------------------------------------------------------ the input

// The header of every report here; the telephone keeps the trailing blanks
// that a seven-digit number brings back from a statement file.
TReportHeader Header()
{
    TReportHeader h;
    h.year = "2024";
    h.taxOfficeName = G("ΑΘΗΝΩΝ Α'");
    h.taxOfficeCode = "1101";
    h.folder = "4711";
    h.companyName = G("ΕΤΑΙΡΕΙΑ ΔΟΚΙΜΩΝ");
    h.afm = "123456783";
    h.profession = G("ΧΟΝΔΡΕΜΠΟΡΙΟ");
    h.town = G("ΑΘΗΝΑ");
    h.street = G("ΠΑΝΕΠΙΣΤΗΜΙΟΥ");
    h.number = "10";
    h.tk = "10672";
    h.tel = "2101234   ";
    return h;
}

TReportInput Input(TSide side, TFixedFormatDataSet& list, std::string publicValue, std::string invoices,
                   std::string value)
{
    TReportInput input;
    input.side = side;
    input.header = Header();
    input.list = &list;
    input.publicValue = G(publicValue);
    input.invoiceTotal = G(invoices);
    input.valueTotal = G(value);
    return input;
}

// ------------------------------------------------------------ the form

// A row of the list as the form shows it (UTF-8, escaped where it must be).
struct FormRow {
    std::string number, afm, name, ypovolh, address, invoices, value;
};

FormRow Shown(int number, const TestRow& row)
{
    return {std::to_string(number), row.afm,  row.name, row.ypovolh, row.city + ", " + row.street + " " + row.streetNo,
            row.invoices,           row.value};
}

struct Form {
    TSide side = TSide::Customers;
    bool credit = false;
    std::vector<FormRow> rows;
    std::string publicCell, invoiceCell, totalCell;  // UTF-8
    std::string companyCell = "ΕΤΑΙΡΕΙΑ ΔΟΚΙΜΩΝ";
};

std::string CellLine(const std::string& text) { return "<td class=\"style2\">" + text + "</td>"; }

std::vector<std::string> TemplateLines(TSide side)
{
    const std::string whose = side == TSide::Customers ? "ΠΕΛΑΤΩΝ" : "ΠΡΟΜΗΘΕΥΤΩΝ";
    std::vector<std::string> lines{
        "",
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1253\">",
        "<title>ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ " + whose + "</title>",
        "<style type=\"text/css\">",
        "<!--",
        ".style2 {font-size: 12}",
        "",
        "-->",
        "</style>",
        "</head>",
        "",
        "<body>",
        "<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\" border=\"0\" >",
        std::string("<thead style=\"display:table-header-group\"><tr><th><font size=\"1\">") +
            "ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ - ΚΕΦΥΣ" + "</font></th></tr></thead>",
        "",
        "<tr><td class=\"style2\" ><center><b>ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ",
        whose + "</b></center><br></td></tr>",
        "",
        "<tr><td>",
    };
    if (side == TSide::Suppliers) lines.push_back("");
    lines.push_back("");  // the line end written after the template
    return lines;
}

std::vector<std::string> HeaderAndTaxpayerLines(const Form& form)
{
    const std::string blank = "<td class=\"style2\">&nbsp;</td>";
    return {
        "<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\"  border=\"0\">",
        "<tr>",
        "<td class=\"style2\">Προς Δ.Ο.Υ.:</td>",
        CellLine("ΑΘΗΝΩΝ Α'"),
        CellLine("1101"),
        "<td class=\"style2\">Έτος:</td>",
        CellLine("2024"),
        "<td class=\"style2\">Αριθ. Κατάστασης:</td>",
        "<td class=\"style2\">&nbsp;</td>",
        "<td class=\"style2\">* Συμπληρώνεται από την Υπηρεσία</td>",
        "</tr><tr>",
        blank + blank + blank + blank + blank,
        "<td class=\"style2\">Αριθ. Φακέλου:</td>",
        CellLine("4711"),
        "<td class=\"style2\">(για τις Α.Ε.)</td>",
        "</tr></table>",
        "<table width=\"100%\"  border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
        "<tr><td class=\"style2\" colspan=\"6\"><br><center><b>ΣΤΟΙΧΕΙΑ ΥΠΟΧΡΕΟΥ</b></center></td></tr>",
        "<tr><td class=\"style2\">Ονοματεπώνυμο ή Επωνυμία:</td>",
        "<td class=\"style2\" colspan=\"3\">" + form.companyCell + "</td>",
        "<td class=\"style2\">ΑΦΜ:</td>",
        CellLine("123456783"),
        "</tr><tr><td class=\"style2\">Πατρώνυμο:</td>",
        "<td class=\"style2\" colspan=\"5\">&nbsp;</td></tr>",
        "<tr><td class=\"style2\">Επάγγελμα:</td>",
        CellLine("ΧΟΝΔΡΕΜΠΟΡΙΟ"),
        "<td class=\"style2\">Διεύθυνση:</td>",
        CellLine("ΑΘΗΝΑ, ΠΑΝΕΠΙΣΤΗΜΙΟΥ 10, 10672"),
        "<td class=\"style2\">Τηλ:</td>",
        CellLine("2101234   "),
        "</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td><td "
        "class=\"style2\">(πόλη, οδός, αριθμός, Τ.Κ.)</td><td class=\"style2\">&nbsp;</td><td "
        "class=\"style2\">&nbsp;</td></tr>",
        "<tr><td class=\"style2\" colspan=\"6\">&nbsp;</td></tr></table>",
    };
}

std::vector<std::string> ListHeadLines()
{
    return {
        "<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">",
        "<thead style=\"display:table-header-group\"><tr>",
        "<th class=\"style2\"><center>α/α</center></th><th class=\"style2\"><center>ΑΦΜ</center></th><th "
        "class=\"style2\"><center>Ονοματεπώνυμο ή Επωνυμία συναλλασομένου</center></th>",
        "<th class=\"style2\"><center>Κωδικός \"1\" <BR> Επάγγελμα <BR>για μη υπόχρεους</center></th><th "
        "class=\"style2\"><center>Διεύθυνση</center></th><th class=\"style2\"><center>Αριθμός Φορολ. "
        "Στοιχείων</center></th>",
        "<th class=\"style2\"><center>Καθαρή αξία</center></th></tr></thead>",
    };
}

std::vector<std::string> RowLines(const FormRow& row)
{
    return {"<tr>",
            CellLine(row.number),
            CellLine(row.afm),
            CellLine(row.name),
            CellLine(row.ypovolh),
            CellLine(row.address),
            CellLine(row.invoices),
            CellLine(row.value),
            "</tr>"};
}

std::vector<std::string> ClosingLines(const Form& form)
{
    const std::string publicText =
        form.side == TSide::Customers ? "Πωλήσεις στο Δημόσιο κ.λ.π." : "Αγορές από Δημόσιο κ.λ.π.";
    return {
        "<tr><td class=\"style2\" colspan=\"7\">&nbsp;</td></tr>",
        "<tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">99999011</td><td class=\"style2\" colspan=\"3\">" +
            publicText + "</td>",
        "<td class=\"style2\">&nbsp;</td>",
        CellLine(form.publicCell),
        "</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">99999999</td>",
        "<td class=\"style2\" colspan=\"3\">ΣΥΝΟΛΟ</td>",
        CellLine(form.invoiceCell),
        CellLine(form.totalCell),
        "</tr></table></td></tr></table></body></html>",
    };
}

// The whole report in Windows-1253, CR LF after every line.
std::string Expected(const Form& form)
{
    std::vector<std::string> lines = TemplateLines(form.side);
    auto add = [&lines](const std::vector<std::string>& more) { lines.insert(lines.end(), more.begin(), more.end()); };
    if (form.credit) add({"<center>ΠΙΣΤΩΤΙΚΑ ΥΠΟΛΟΙΠΑ</center></br></td></tr><tr><td>"});
    add(HeaderAndTaxpayerLines(form));
    add(ListHeadLines());
    for (const FormRow& row : form.rows) add(RowLines(row));
    add(ClosingLines(form));
    std::string bytes;
    for (const std::string& line : lines) bytes += G(line) + "\r\n";
    return bytes;
}

// Reports are compared as text, so that a difference shows as a line.
#define EXPECT_REPORT(actual, form) EXPECT_EQ(cp1253::ToUtf8(actual), cp1253::ToUtf8(Expected(form)))

}  // namespace

// ------------------------------------------------------------ the report

TEST(ListReport, CustomersAndSuppliersOfTheSameStatementEachWithItsOwnForm)
{
    List customers(TSide::Customers, {kPapadopoulos, kAlfa});
    List suppliers(TSide::Suppliers, {kAlfa});

    Form customerForm{TSide::Customers, false, {Shown(1, kPapadopoulos), Shown(2, kAlfa)}, "0", "15", "2000,5"};
    EXPECT_REPORT(ListReport(Input(TSide::Customers, customers.Store(), "", "15", "2000,5")), customerForm);

    Form supplierForm{TSide::Suppliers, false, {Shown(1, kAlfa)}, "0", "12", "800"};
    EXPECT_REPORT(ListReport(Input(TSide::Suppliers, suppliers.Store(), "", "12", "800")), supplierForm);
}

TEST(ListReport, EmptyListHasTheBlocksTheHeadsAndTheTwoClosingRowsOnly)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        List empty(side, {});
        Form form{side, false, {}, "0", "", "0"};
        EXPECT_REPORT(ListReport(Input(side, empty.Store(), "", "", "")), form);
    }
}

TEST(ListReport, CreditBalancesLineFollowsTheTemplateOfEitherList)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        List list(side, {kAlfa});
        TReportInput input = Input(side, list.Store(), "", "12", "800");
        input.credit = true;
        EXPECT_REPORT(ListReport(input), (Form{side, true, {Shown(1, kAlfa)}, "0", "12", "800"}));
    }
}

TEST(ListReport, PublicSectorValueHasItsRowAndIsAddedToTheTotal)
{
    List list(TSide::Customers, {kPapadopoulos, kAlfa});
    Form form{TSide::Customers, false, {Shown(1, kPapadopoulos), Shown(2, kAlfa)}, "1500", "15", "4000,5"};
    EXPECT_REPORT(ListReport(Input(TSide::Customers, list.Store(), "1500", "15", "2500,5")), form);

    // "0.##": two decimals at most, the half in the third rounded away from zero.
    form.publicCell = "1500,46";
    form.totalCell = "4000,96";
    EXPECT_REPORT(ListReport(Input(TSide::Customers, list.Store(), "1500,456", "15", "2500,5")), form);
}

TEST(ListReport, PublicSectorValueOrTotalThatIsNoNumberCountsAsZero)
{
    List list(TSide::Suppliers, {kAlfa});
    EXPECT_REPORT(ListReport(Input(TSide::Suppliers, list.Store(), "", "12", "800")),
                  (Form{TSide::Suppliers, false, {Shown(1, kAlfa)}, "0", "12", "800"}));
    EXPECT_REPORT(ListReport(Input(TSide::Suppliers, list.Store(), "1.5", "12", "")),
                  (Form{TSide::Suppliers, false, {Shown(1, kAlfa)}, "0", "12", "0"}));
    EXPECT_REPORT(ListReport(Input(TSide::Suppliers, list.Store(), "12,5", "12", "abc")),
                  (Form{TSide::Suppliers, false, {Shown(1, kAlfa)}, "12,5", "12", "12,5"}));
}

TEST(ListReport, RowWithoutCityHasAnAddressCellBeginningWithComma)
{
    TestRow noCity = kAlfa;
    noCity.city = "";
    TestRow nothing = kPapadopoulos;
    nothing.city = nothing.street = nothing.streetNo = "";
    List list(TSide::Customers, {noCity, nothing});

    FormRow first = Shown(1, noCity), second = Shown(2, nothing);
    EXPECT_EQ(first.address, ", ΚΟΡΙΝΘΟΥ 7");
    EXPECT_EQ(second.address, ",  ");
    EXPECT_REPORT(ListReport(Input(TSide::Customers, list.Store(), "", "15", "2000,5")),
                  (Form{TSide::Customers, false, {first, second}, "0", "15", "2000,5"}));
}

TEST(ListReport, MarkupCharactersInInsertedTextsAreEscaped)
{
    TestRow markup = kAlfa;
    markup.name = "Α & Β <ΟΕ> &amp;";
    markup.city = "<ΠΑΤΡΑ>";
    List list(TSide::Suppliers, {markup});
    TReportInput input = Input(TSide::Suppliers, list.Store(), "", "<12>", "800");
    input.header.companyName = G("ΤΣΑΪ & ΣΙΑ <Ο.Ε.>");

    FormRow row = Shown(1, markup);
    row.name = "Α &amp; Β &lt;ΟΕ&gt; &amp;amp;";
    row.address = "&lt;ΠΑΤΡΑ&gt;, ΚΟΡΙΝΘΟΥ 7";
    Form form{TSide::Suppliers, false, {row}, "0", "&lt;12&gt;", "800"};
    form.companyCell = "ΤΣΑΪ &amp; ΣΙΑ &lt;Ο.Ε.&gt;";
    EXPECT_REPORT(ListReport(input), form);
}

TEST(ListReport, ProfessionPostalCodeAndTrailingBlanksOfFieldsAreNotPrinted)
{
    List list(TSide::Customers, {kPapadopoulos});
    const std::string report = ListReport(Input(TSide::Customers, list.Store(), "", "3", "1200,5"));
    EXPECT_EQ(report.find(G("ΕΜΠΟΡΟΣ")), std::string::npos);
    EXPECT_EQ(report.find("10564"), std::string::npos);
    EXPECT_NE(report.find(CellLine("1200,5") + "\r\n"), std::string::npos);
}

// ------------------------------------------------ after a sort of the list

class ReportAfterSort : public StatementTest {};

TEST_F(ReportAfterSort, SerialNumbersFollowTheSortedOrder)
{
    New();
    ValidHeader();
    const Row gamma{"094019245", "ΓΑΜΜΑ"}, alpha{"997733556", "ΑΛΦΑ"}, beta{"123456783", "ΒΗΤΑ"};
    ASSERT_TRUE(Add(TSide::Customers, gamma));
    ASSERT_TRUE(Add(TSide::Customers, alpha));
    doc.SetHeaderText(TStatementField::TaxNumber, "090000045");  // so that beta's number is not the business's own
    ASSERT_TRUE(Add(TSide::Customers, beta));
    ui.Tell(doc.SortList(TSide::Customers));

    TReportInput input = Input(TSide::Customers, doc.List(TSide::Customers), doc.PublicValue(TSide::Customers), "", "");
    input.invoiceTotal = doc.InvoiceTotalText(TSide::Customers);
    input.valueTotal = doc.ValueTotalText(TSide::Customers);
    auto shown = [](int number, const Row& row) {
        return FormRow{std::to_string(number), row.afm, row.name, row.ypovolh, ",  ", row.invoices, row.value};
    };
    Form form{TSide::Customers, false, {shown(1, alpha), shown(2, beta), shown(3, gamma)}, "0", "3", "30"};
    EXPECT_REPORT(ListReport(input), form);
}

// ------------------------------------------------------------ the file

TEST(ListReportFile, HoldsTheReportBytesAndReplacesAnEarlierReportWhole)
{
    TempDir dir;
    List list(TSide::Customers, {kPapadopoulos, kAlfa});
    const std::string path = dir.File(ReportFileName(TSide::Customers));
    WriteBytes(path, std::string(100000, 'x'));

    const TReportInput input = Input(TSide::Customers, list.Store(), "1500", "15", "2500,5");
    WriteListReport(input, path);
    EXPECT_EQ(ReadBytes(path), ListReport(input));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ListReportFile, LongListIsWrittenWholeInPieces)
{
    std::vector<TestRow> rows(20000, kPapadopoulos);
    List list(TSide::Suppliers, rows);
    TempDir dir;
    const TReportInput input = Input(TSide::Suppliers, list.Store(), "", "60000", "24010000");
    WriteListReport(input, dir.File("Promitheftes.htm"));
    const std::string report = ReadBytes(dir.File("Promitheftes.htm"));
    EXPECT_GT(report.size(), size_t{4} << 20);
    EXPECT_EQ(report, ListReport(input));
    EXPECT_NE(report.find(CellLine("20000") + "\r\n"), std::string::npos);
}

TEST(ListReportFile, FailureLeavesTheEarlierReportAndNoNewFile)
{
    TempDir dir;
    List list(TSide::Customers, {kAlfa});
    const TReportInput input = Input(TSide::Customers, list.Store(), "", "12", "800");
    EXPECT_THROW(WriteListReport(input, dir.File("missing/Pelates.htm")), EFileError);

    const std::string path = dir.File("Pelates.htm");
    WriteBytes(path, "earlier");
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(WriteListReport(input, path), EFileError);
    }
    EXPECT_EQ(ReadBytes(path), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ListReportFile, NamesAndMessages)
{
    EXPECT_EQ(ReportFileName(TSide::Customers), "Pelates.htm");
    EXPECT_EQ(ReportFileName(TSide::Suppliers), "Promitheftes.htm");
    EXPECT_EQ(PrintFailureMessage(), "Υπήρξε κάποιο πρόβλημα κατά την προετοιμασία της εκτύπωσης");
    EXPECT_EQ(PrinterFailureMessage(),
              "Υπήρξε ένα πρόβλημα κατά την εκτύπωση. Βεβαιωθείτε ότι έχετε ορίσει κάποιον εκτυπωτή");
}
