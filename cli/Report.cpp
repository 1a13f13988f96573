#include "cli/Report.h"

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/Show.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "outputs/StatementReport.h"

namespace epinax::cli {

namespace {

std::string PrintFailure(const std::exception& error)
{
    return cp1253::ToUtf8(PrintFailureMessage()) + ": " + cp1253::ToUtf8(error.what());
}

}  // namespace

// An opened statement has no row pending, so the list is printed as Open
// left it.
void WriteStatementReport(const std::string& path, TSide side, const std::string& output)
{
    RecordingUi ui;
    Workspace workspace(ui, LocalToday);
    OpenStatement(workspace, ui, ReadStatementInput(path));
    try {
        WriteListReport(ReportInputOf(workspace.Statement(), side), output);
    } catch (const EFileError& error) {
        throw CliError(kExitUsage, PrintFailure(error));
    } catch (const std::exception& error) {
        throw CliError(kExitRefused, PrintFailure(error));
    }
}

}  // namespace epinax::cli
