#include "cli/Show.h"

#include <algorithm>

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/JsonIo.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"

namespace epinax::cli {

std::string DateOfFormLine(std::string_view bytes)
{
    std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (line.size() < 17) return {};
    std::string_view date = line.substr(9, 8);
    bool digits = std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::string(date) : std::string();
}

// The file was read once, into a copy Open reads, so that a pipe serves as a
// file does; the bytes are let go before Open reads them again.
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

void ShowStatement(const std::string& path, std::ostream& out)
{
    std::string bytes = ReadStatementInput(path);
    std::string date = DateOfFormLine(bytes);
    RecordingUi ui;
    Workspace workspace(ui, LocalToday);
    OpenStatement(workspace, ui, std::move(bytes));
    WriteStatementJson(out, workspace.Statement(), date);
}

}  // namespace epinax::cli
