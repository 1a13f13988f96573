#include "cli/Report.h"

#include <QGuiApplication>
#include <functional>

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/ReadStatement.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "outputs/StatementReport.h"
#include "pages/ReportPages.h"

namespace epinax::cli {

namespace {

std::string PrintFailure(const std::exception& error) { return PrintFailureMessage() + ": " + error.what(); }

// A statement read from its file has no row pending, so the list is printed
// as Open would leave it.
void WriteFromStatement(const std::string& path, TSide side, const std::function<void(const TReportInput&)>& write)
{
    std::unique_ptr<TReadStatement> statement = ReadStatementOrRefuse(ReadStatementInput(path));
    const TListTotals& totals = statement->Totals(side);
    TReportInput input{side,
                       statement->Header().Credit,
                       ReportHeaderOf(statement->Header()),
                       &statement->List(side),
                       statement->PublicValue(side),
                       totals.InvoicesText(),
                       totals.ValueText()};
    try {
        write(input);
    } catch (const EFileError& error) {
        throw CliError(kExitUsage, PrintFailure(error));
    } catch (const std::exception& error) {
        throw CliError(kExitRefused, PrintFailure(error));
    }
}

}  // namespace

void WriteStatementReport(const std::string& path, TSide side, const std::string& output)
{
    WriteFromStatement(path, side, [&](const TReportInput& input) { WriteListReport(input, output); });
}

// Pages are painted with Qt's fonts, which need an application of Qt; the
// tool shows no window, so it needs no display either.
void WriteStatementPdf(const std::string& path, TSide side, const std::string& output)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "epinax-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    WriteFromStatement(path, side, [&](const TReportInput& input) { WritePdf(TReportPages(input), output); });
}

}  // namespace epinax::cli
