#include "cli/Show.h"

#include <algorithm>

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/JsonIo.h"
#include "cli/ReadStatement.h"

namespace epinax::cli {

std::string DateOfFormLine(std::string_view bytes)
{
    std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (line.size() < 17) return {};
    std::string_view date = line.substr(9, 8);
    bool digits = std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::string(date) : std::string();
}

void ShowStatement(const std::string& path, std::ostream& out)
{
    std::string bytes = ReadStatementInput(path);
    std::string date = DateOfFormLine(bytes);
    std::unique_ptr<TReadStatement> statement = ReadStatementOrRefuse(bytes);
    // The lists hold their own records; the file's bytes are let go.
    std::string().swap(bytes);
    WriteStatementJson(out, *statement, date);
}

}  // namespace epinax::cli
