// Arbitrary bytes to the check of the command-line tool. It must never
// crash, must put every problem at a line of the file, in line order, and
// must report a problem no later than the line where Open refuses the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "cli/Check.h"
#include "statement/StatementFile.h"

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace epinax;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cli::TCheckOutcome outcome = cli::CheckStatement(bytes, {2024, 3, 15});
    const std::vector<TLineProblem>& problems = outcome.problems;
    Require(problems.size() <= cli::kProblemsShown);
    Require(outcome.notShown == 0 || problems.size() == cli::kProblemsShown);

    int lastLine = std::max<int>(1, static_cast<int>(StatementLines(bytes).size()));
    int previous = 1;
    for (const auto& problem : problems) {
        Require(problem.lineNumber >= previous && problem.lineNumber <= lastLine);
        Require(!problem.message.empty());
        previous = problem.lineNumber;
    }
    TReadOutcome opened = ReadStatement(bytes);
    if (opened.problem) Require(!problems.empty() && problems.front().lineNumber <= opened.problem->lineNumber);
    return 0;
}
