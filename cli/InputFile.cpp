#include "cli/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/CliError.h"
#include "common/Cp1253.h"
#include "statement/StatementFile.h"

namespace epinax::cli {

namespace {

[[noreturn]] void Unreadable(const std::string& path)
{
    throw CliError(kExitUsage, "Δεν ήταν δυνατό να διαβαστεί το αρχείο " + path);
}

class OpenFile {
public:
    explicit OpenFile(const std::string& path) : fd_(path == "-" ? 0 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (fd_ < 0) Unreadable(path);
    }
    ~OpenFile()
    {
        if (fd_ > 0) ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::optional<std::string> ReadInputUpTo(const std::string& path, std::size_t limit)
{
    OpenFile file(path);
    struct stat status {};
    if (::fstat(file.Fd(), &status) != 0) Unreadable(path);
    bool regular = S_ISREG(status.st_mode);
    if (regular && static_cast<unsigned long long>(status.st_size) > limit) return std::nullopt;
    std::string bytes;
    if (regular) bytes.reserve(static_cast<std::size_t>(status.st_size));
    char chunk[1 << 16];
    for (;;) {
        ssize_t got = ::read(file.Fd(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Unreadable(path);
        if (got == 0) return bytes;
        if (bytes.size() + static_cast<std::size_t>(got) > limit) return std::nullopt;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string ReadStatementInput(const std::string& path)
{
    auto bytes = ReadInputUpTo(path, kLargestStatementFileBytes);
    if (!bytes) throw CliError(kExitRefused, InvalidFileMessage());
    return std::move(*bytes);
}

}  // namespace epinax::cli
