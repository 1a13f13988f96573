#include "ImportFigures.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "StatementGenerator.h"
#include "WorkbookGenerator.h"
#include "common/Date.h"
#include "import/Import.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

namespace epinax::bench {

namespace {

constexpr int kImportRows = 10'000;
constexpr int kListRows = 89'999;
constexpr TDate kToday{2025, 3, 14};

}  // namespace

// A statement with 89,999 customers and an empty one, each brought back
// between repetitions, untimed, by opening its file again.
class ImportBench {
public:
    ImportBench()
        : workbook_(data_.Path() + "/counterparties.xlsx"),
          emptyFile_(data_.Path() + "/empty.txt"),
          fullFile_(data_.Path() + "/full.txt"),
          doc_(programDir_.Path() + "/", ui_, [] { return kToday; })
    {
        WriteCounterpartyWorkbook(workbook_, kImportRows);
        GenerateStatementFile(emptyFile_, {0, 0, Tails::Distinct});
        GenerateStatementFile(fullFile_, {kListRows, 0, Tails::Distinct});
        Require(ReadFirstSheet(workbook_).rows == kImportRows, "the workbook does not hold its rows");
    }

    Seconds ReadBlock()
    {
        return Timed([&] { Require(ReadFirstSheet(workbook_).rows == kImportRows, "the block was not read"); });
    }

    Seconds ImportInto(const std::string& statementFile, int rowsBefore)
    {
        doc_.MarkSaved();
        doc_.Open(statementFile);
        Require(doc_.List(TSide::Customers).RecordCount() == rowsBefore, "the statement did not open");
        bool imported = false;
        const Seconds spent = Timed([&] {
            imported =
                ImportWorkbook(doc_, TSide::Customers, workbook_, ReadFirstSheet).result == TImportResult::Imported;
        });
        Require(imported && doc_.List(TSide::Customers).RecordCount() == rowsBefore + kImportRows,
                "the import did not take every row");
        return spent;
    }

    const std::string& EmptyFile() const { return emptyFile_; }
    const std::string& FullFile() const { return fullFile_; }

private:
    TempDir data_, programDir_;
    std::string workbook_, emptyFile_, fullFile_;
    TUnwatched ui_;
    TStatement doc_;
};

ImportSuite::ImportSuite() : bench_(std::make_unique<ImportBench>()) {}
ImportSuite::~ImportSuite() = default;

std::vector<Figure> ImportSuite::Figures()
{
    ImportBench& bench = *bench_;
    const char* reference = "reading the same workbook's block alone";
    return {
        {"import-10000", reference, 5, [&bench] { return bench.ImportInto(bench.EmptyFile(), 0); },
         [&bench] { return bench.ReadBlock(); }},
        {"import-10000-into-89999", reference, 5, [&bench] { return bench.ImportInto(bench.FullFile(), kListRows); },
         [&bench] { return bench.ReadBlock(); }},
    };
}

}  // namespace epinax::bench
