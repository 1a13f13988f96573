#include "cli/Show.h"

#include <algorithm>

#include "cli/CliError.h"
#include "cli/JsonIo.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

std::string DateOfFormLine(std::string_view bytes)
{
    std::vector<std::string_view> lines = StatementLines(bytes);
    if (lines.empty() || lines[0].size() < 17) return {};
    std::string_view date = lines[0].substr(9, 8);
    bool digits = std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::string(date) : std::string();
}

nlohmann::ordered_json ShowStatement(const std::string& path)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EFileError&) {
        throw CliError(kExitUsage, "Δεν ήταν δυνατό να διαβαστεί το αρχείο " + path);
    }
    RecordingUi ui;
    ui.openFile = path;
    Workspace workspace(ui, LocalToday);
    TStatement& statement = workspace.Statement();
    statement.N2Click();
    if (!statement.StatementLoaded) {
        std::string message;
        for (const auto& text : ui.messages) message += (message.empty() ? "" : "\n") + cp1253::ToUtf8(text);
        throw CliError(kExitRefused, message.empty() ? "Το αρχείο δεν άνοιξε" : message);
    }
    return StatementToJson(statement, DateOfFormLine(bytes));
}

}  // namespace epinax::cli
