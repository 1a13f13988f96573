#include "cli/Import.h"

#include "cli/CliError.h"
#include "cli/Dates.h"
#include "cli/InputFile.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"
#include "import/Import.h"

namespace epinax::cli {

namespace {

[[noreturn]] void RefuseWith(const RecordingUi& ui, int exitCode, const std::string& otherwise)
{
    std::string text;
    for (const auto& message : ui.messages) text += (text.empty() ? "" : "\n") + cp1253::ToUtf8(message);
    // The core ends the lines of a message with CR LF.
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
    throw CliError(exitCode, text.empty() ? otherwise : text);
}

// The import posts into the lists of a statement with working files, so the
// file is opened as Open opens it, from a copy in the private directory; the
// bytes are let go before Open reads them again.
void OpenStatement(Workspace& workspace, RecordingUi& ui, std::string bytes)
{
    const std::string path = workspace.Write("statement", bytes);
    std::string().swap(bytes);
    TStatement& statement = workspace.Statement();
    statement.Open(path);
    // Open failing on a copy of its own (ShowError) is the working space's
    // failure; a refusal of the file (ShowMessage) is the file's.
    if (ui.errorShown) workspace.Failed();
    if (!statement.StatementLoaded()) {
        std::string message;
        for (const auto& text : ui.messages) message += (message.empty() ? "" : "\n") + cp1253::ToUtf8(text);
        throw CliError(kExitRefused, message.empty() ? "Το αρχείο δεν άνοιξε" : message);
    }
}

}  // namespace

void ImportIntoStatement(const std::string& statementPath, const std::string& workbookPath, TSide side,
                         const std::string& outPath, bool force, std::optional<TDate> date)
{
    RecordingUi ui;
    Workspace workspace(ui, date ? FixedClock(*date) : TClock(LocalToday));
    TStatement& statement = workspace.Statement();
    OpenStatement(workspace, ui, ReadStatementInput(statementPath));
    ui.Clear();
    TImportResult result = TImportResult::Refused;
    try {
        const TImportOutcome outcome = ImportWorkbook(statement, side, workbookPath, ReadFirstSheet);
        for (const std::string& message : outcome.messages) ui.ShowMessage(message);
        result = outcome.result;
    } catch (const EListNotWritten&) {
        workspace.Failed();
    }
    if (result == TImportResult::Unreadable) RefuseWith(ui, kExitUsage, "Το " + workbookPath + " δεν διαβάστηκε");
    if (result != TImportResult::Imported)
        RefuseWith(ui, kExitRefused, "Η εισαγωγή από το " + workbookPath + " διακόπηκε");
    ui.Clear();
    if (!statement.CheckBeforeSave() || !statement.SaveAs(outPath, force))
        RefuseWith(ui, kExitRefused, "Το αρχείο " + outPath + " δεν γράφτηκε");
}

}  // namespace epinax::cli
