#include "cli/Export.h"

#include <memory>
#include <stdexcept>

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/ReadStatement.h"
#include "common/Cp1253.h"
#include "common/Errors.h"

namespace epinax::cli {

// A statement read from its file has no row pending: its lists are written
// as Open would leave them.
void ExportStatementLists(const std::string& path, const std::vector<TSide>& sides, TWorkbookFormat format,
                          const std::string& output)
{
    std::unique_ptr<TReadStatement> statement = ReadStatementOrRefuse(ReadStatementInput(path));
    std::vector<TWorkbookList> lists;
    for (TSide side : sides) lists.push_back({side, &statement->List(side)});
    try {
        WriteListWorkbook(lists, output, format);
    } catch (const EFileError& error) {
        throw CliError(kExitUsage, error.what());
    } catch (const std::invalid_argument& error) {
        throw CliError(kExitUsage, error.what());
    }
}

}  // namespace epinax::cli
