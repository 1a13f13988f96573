// Arbitrary bytes as the JSON of `build`. Build may refuse them but must
// never crash; what it accepts, it writes as a file that Open reads again
// and in which the check finds no problem; and what `show` prints of that
// file builds the same file again, byte for byte.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/Build.h"
#include "cli/Check.h"
#include "cli/CliError.h"
#include "cli/JsonIo.h"
#include "cli/ReadStatement.h"
#include "common/Files.h"
#include "statement/StatementFile.h"

namespace {

using namespace epinax;

void Require(bool condition)
{
    if (!condition) std::abort();
}

// Every run's files in one place of
// the fuzzer's own.
std::string gDirectory;

std::optional<std::string> BuiltFile(const cli::TStatementInput& input, const std::string& name)
{
    std::string path = gDirectory + name;
    std::filesystem::remove(path);
    try {
        cli::BuildStatement(input, path, true);
    } catch (const cli::CliError& error) {
        Require(error.ExitCode() == cli::kExitRefused);
        return std::nullopt;
    }
    return ReadWholeFile(path);
}

// What show prints of `bytes`, read as Open reads them.
std::string Shown(const std::string& bytes)
{
    std::unique_ptr<cli::TReadStatement> statement = cli::ReadStatementOrRefuse(bytes);
    std::ostringstream out;
    cli::WriteStatementJson(out, *statement, bytes.substr(9, 8));
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/fuzz-cli-json-XXXXXX";
    Require(::mkdtemp(pattern) != nullptr);
    gDirectory = std::string(pattern) + "/";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    cli::TStatementInput input;
    try {
        input = cli::ParseStatementInput(text);
    } catch (const cli::CliError& error) {
        Require(error.ExitCode() == cli::kExitUsage);
        return 0;
    }
    // Without a date the build takes today's, as the check does here.
    TDate today = input.date.value_or(LocalToday());
    input.date = today;
    auto bytes = BuiltFile(input, "built");
    if (!bytes) return 0;

    Require(!ReadStatement(*bytes).problem.has_value());
    cli::TCheckOutcome checked = cli::CheckStatement(*bytes, today);
    Require(checked.problems.empty() && checked.notShown == 0);

    auto again = BuiltFile(cli::ParseStatementInput(Shown(*bytes)), "again");
    Require(again && *again == *bytes);
    return 0;
}
