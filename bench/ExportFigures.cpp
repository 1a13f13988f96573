#include "ExportFigures.h"

#include <filesystem>
#include <string>

#include "StatementGenerator.h"
#include "common/Date.h"
#include "outputs/ListWorkbook.h"
#include "outputs/Print.h"
#include "outputs/StatementReport.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

namespace epinax::bench {

namespace {

constexpr int kRows = 99'999;
constexpr TDate kToday{2025, 3, 14};

}  // namespace

// A statement opened as the menu opens it; its customers written as the
// export writes them, against the same list's HTML report.
class ExportBench {
public:
    ExportBench() : doc_(programDir_.Path() + "/", ui_, [] { return kToday; })
    {
        const std::string statementFile = data_.Path() + "/statement.txt";
        GenerateStatementFile(statementFile, {kRows, 0, Tails::Distinct});
        const TOutcome opened = doc_.Open(statementFile);
        Require(opened.notices.empty() && doc_.List(TSide::Customers).RecordCount() == kRows,
                "the export's statement did not open whole");
        WriteWorkbook();
        Require(std::filesystem::file_size(WorkbookPath()) > 1'000'000, "the workbook does not hold the whole list");
    }

    // Each earlier file is removed first, untimed.
    Seconds WriteWorkbook()
    {
        std::filesystem::remove(WorkbookPath());
        return Timed([&] {
            WriteListWorkbook({{TSide::Customers, &doc_.List(TSide::Customers)}}, WorkbookPath(),
                              TWorkbookFormat::Xlsx);
        });
    }

    Seconds WriteReport()
    {
        const std::string path = data_.Path() + "/" + ReportFileName(TSide::Customers);
        std::filesystem::remove(path);
        return Timed([&] { WriteListReport(ReportInputOf(doc_, TSide::Customers), path); });
    }

private:
    std::string WorkbookPath() const { return data_.Path() + "/Pelates.xlsx"; }

    TempDir data_;
    TempDir programDir_;
    TUnwatched ui_;
    TStatement doc_;
};

ExportSuite::ExportSuite() : bench_(std::make_unique<ExportBench>()) {}

ExportSuite::~ExportSuite() = default;

std::vector<Figure> ExportSuite::Figures()
{
    ExportBench& bench = *bench_;
    return {
        {"export-99999", "writing the list's HTML report", 5, [&bench] { return bench.WriteWorkbook(); },
         [&bench] { return bench.WriteReport(); }},
    };
}

}  // namespace epinax::bench
