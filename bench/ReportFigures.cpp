#include "ReportFigures.h"

#include <filesystem>
#include <optional>
#include <string>

#include "StatementGenerator.h"
#include "common/Date.h"
#include "outputs/Print.h"
#include "outputs/StatementReport.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

namespace epinax::bench {

namespace {

constexpr int kRows = 99'999;
constexpr TDate kToday{2025, 3, 14};

}  // namespace

// A statement opened through the menu, its customers' report written into
// the program directory as the print menu writes it.
class ReportBench {
public:
    ReportBench() : doc_(programDir_.Path() + "/", ui_, [] { return kToday; })
    {
        const std::string statementFile = data_.Path() + "/statement.txt";
        GenerateStatementFile(statementFile, {kRows, 0, Tails::Distinct});
        const TOutcome opened = doc_.Open(statementFile);
        Require(opened.notices.empty() && doc_.List(TSide::Customers).RecordCount() == kRows,
                "the report's statement did not open whole");
        CheckReport();
    }

    // The earlier report is removed first, untimed, as the copy's is.
    Seconds WriteReport()
    {
        std::filesystem::remove(ReportPath());
        return Timed([&] { WriteListReport(Input(), ReportPath()); });
    }

    Seconds CopyWorkingFile()
    {
        const std::string copy = doc_.WorkingFile("record2") + ".copy";
        std::filesystem::remove(copy);
        return Timed([&] { PlainCopy(doc_.WorkingFile("record2"), copy); });
    }

private:
    std::string ReportPath() const { return doc_.ProgramDirectory() + ReportFileName(TSide::Customers); }

    TReportInput Input()
    {
        TReportInput input;
        input.side = TSide::Customers;
        input.header = ReportHeaderOf(doc_.Header());
        input.list = &doc_.List(TSide::Customers);
        input.publicValue = doc_.PublicValue(TSide::Customers);
        input.invoiceTotal = doc_.InvoiceTotalText(TSide::Customers);
        input.valueTotal = doc_.ValueTotalText(TSide::Customers);
        return input;
    }

    // Once, untimed: the figure must time a report with every row in it.
    void CheckReport()
    {
        WriteReport();
        const std::string report = PlainRead(ReportPath());
        const std::string lastRow = "<td class=\"style2\">" + std::to_string(kRows) + "</td>\r\n";
        Require(report.find(lastRow) != std::string::npos && report.ends_with("</body></html>\r\n"),
                "the report does not hold the whole list");
    }

    TempDir data_;
    TempDir programDir_;
    TUnwatched ui_;
    TStatement doc_;
};

ReportSuite::ReportSuite() : bench_(std::make_unique<ReportBench>()) {}

ReportSuite::~ReportSuite() = default;

std::vector<Figure> ReportSuite::Figures()
{
    ReportBench& bench = *bench_;
    return {
        {"report-99999", "a plain copy of the list's working file", 11, [&bench] { return bench.WriteReport(); },
         [&bench] { return bench.CopyWorkingFile(); }},
    };
}

}  // namespace epinax::bench
