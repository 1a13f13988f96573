#include "ZipFigures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "StatementGenerator.h"
#include "outputs/ZipCommand.h"

extern char** environ;

namespace epinax::bench {

namespace {

// 99,999 customer lines of 152 bytes: a statement of about 15 MB.
constexpr int kRows = 99'999;

// The command syncs the archive it replaces, as a file the user asked for;
// Info-ZIP does not, so its archive is synced after it, for like with like.
void SyncWithItsDirectory(const std::string& path)
{
    for (const std::string& name : {path, std::filesystem::path(path).parent_path().string()}) {
        const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        Require(synced, "sync of " + name);
    }
}

}  // namespace

class ZipBench {
public:
    ZipBench() : statement_(data_.Path() + "/094019245.PIS")
    {
        GenerateStatementFile(statement_, {kRows, 0, Tails::Distinct});
        Require(std::filesystem::file_size(statement_) >= 15'000'000, "a statement of 15 MB");
    }

    // The zip command as the window runs it: read, deflate, write beside and
    // rename over the earlier archive.
    Seconds Pack()
    {
        const std::string archive = data_.Path() + "/program.zip";
        std::filesystem::remove(archive);
        const Seconds spent = Timed([&] { ZipOneFile(statement_, archive); });
        Require(std::filesystem::file_size(archive) < std::filesystem::file_size(statement_) / 3, "a deflated archive");
        return spent;
    }

    // zip -q -j -6 -X ARCHIVE FILE, spawned without a shell: level 6 is the
    // level the program deflates at; -X leaves out the extra fields the
    // program does not write; -j stores the name without its directory.
    Seconds InfoZip()
    {
        const std::string archive = data_.Path() + "/info-zip.zip";
        std::filesystem::remove(archive);  // zip would otherwise update it
        return Timed([&] {
            RunInfoZip(archive);
            SyncWithItsDirectory(archive);
        });
    }

private:
    void RunInfoZip(const std::string& archive)
    {
        std::vector<std::string> args{"zip", "-q", "-j", "-6", "-X", archive, statement_};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        Require(::posix_spawnp(&pid, "zip", nullptr, nullptr, argv.data(), environ) == 0,
                "cannot run zip (Debian package zip)");
        int status = 0;
        Require(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0,
                "Info-ZIP zip failed");
    }

    TempDir data_;
    std::string statement_;
};

ZipSuite::ZipSuite() : bench_(std::make_unique<ZipBench>()) {}
ZipSuite::~ZipSuite() = default;

std::vector<Figure> ZipSuite::Figures()
{
    ZipBench& bench = *bench_;
    return {
        {"zip-15mb", "Info-ZIP zip -6 -X of the same file, its archive synced to the disk as the command syncs", 7,
         [&bench] { return bench.Pack(); }, [&bench] { return bench.InfoZip(); }},
    };
}

}  // namespace epinax::bench
