#include "CliFigures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "StatementGenerator.h"

extern char** environ;

namespace epinax::bench {

namespace {

constexpr int kRows = 99'999;

// Runs the tool with `args`, its stdout into `outputFile`, and requires
// that it succeeds.
void RunTool(const std::string& cli, std::vector<std::string> args, const std::string& outputFile)
{
    args.insert(args.begin(), cli);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Require(spawned == 0, "cannot run " + cli);
    int status = 0;
    Require(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0,
            "epinax-cli " + args[1] + " failed");
}

}  // namespace

// The JSON is what `show` prints of a generated statement, so that build
// types exactly what a user round-tripping a file would; the file build
// writes is the one `show` is timed on.
class CliSuite::BuildBench {
public:
    explicit BuildBench(std::string cli) : cli_(std::move(cli))
    {
        GenerateStatementFile(generated_, {kRows, 0, Tails::Distinct});
        RunTool(cli_, {"show", generated_}, json_);
        Build();
        Require(PlainRead(built_).size() == PlainRead(generated_).size(), "build wrote a statement of another size");
    }

    Seconds Build()
    {
        return Timed([&] { RunTool(cli_, {"build", json_, "-o", built_, "--force"}, data_.Path() + "/written.json"); });
    }
    Seconds Show()
    {
        return Timed([&] { RunTool(cli_, {"show", built_}, data_.Path() + "/shown.json"); });
    }

private:
    std::string cli_;
    TempDir data_;
    std::string generated_ = data_.Path() + "/generated";
    std::string json_ = data_.Path() + "/statement.json";
    std::string built_ = data_.Path() + "/built";
};

CliSuite::CliSuite(std::string cliPath) : build_(std::make_unique<BuildBench>(std::move(cliPath))) {}

CliSuite::~CliSuite() = default;

std::vector<Figure> CliSuite::Figures()
{
    BuildBench& bench = *build_;
    return {
        {"build-99999", "epinax-cli show of the file it wrote", 3, [&bench] { return bench.Build(); },
         [&bench] { return bench.Show(); }},
    };
}

}  // namespace epinax::bench
