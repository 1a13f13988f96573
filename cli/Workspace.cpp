#include "cli/Workspace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/CliError.h"
#include "common/Errors.h"
#include "common/Files.h"

namespace epinax::cli {

namespace {

constexpr const char* kDirectoryPrefix = "epinax-cli-";

// $TMPDIR as the user set it, even when it is unusable, so that the message
// names the directory the user chose rather than a silent stand-in.
std::string BaseDirectory()
{
    const char* chosen = std::getenv("TMPDIR");
    std::string base = chosen && *chosen ? chosen : "/tmp";
    if (base.back() != '/') base += '/';
    return base;
}

std::string WorkingSpaceMessage(const std::string& base)
{
    return "Ο φάκελος εργασίας " + base +
           " δεν μπορεί να χρησιμοποιηθεί: δεν υπάρχει, δεν επιτρέπει εγγραφή ή δεν έχει ελεύθερο χώρο. "
           "Ορίστε άλλον φάκελο με τη μεταβλητή TMPDIR.";
}

// ------------------------------------------------- leftovers of dead runs

// The process id in "epinax-cli-<pid>-XXXXXX", or 0.
pid_t OwnerOf(const std::string& name)
{
    if (!name.starts_with(kDirectoryPrefix)) return 0;
    pid_t pid = 0;
    size_t at = std::strlen(kDirectoryPrefix);
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9' && pid < 1'000'000'000; ++at)
        pid = pid * 10 + (name[at] - '0');
    return at < name.size() && name[at] == '-' ? pid : 0;
}

bool ProcessIsGone(pid_t pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

// A run ended by kill -9 or a power cut had no chance to clean up.
void RemoveDirectoriesOfDeadRuns(const std::string& base)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        pid_t owner = OwnerOf(it->path().filename().string());
        std::error_code ignored;
        if (owner > 0 && ProcessIsGone(owner) && it->is_directory(ignored))
            std::filesystem::remove_all(it->path(), ignored);
    }
}

// --------------------------------------------- removal on SIGINT, SIGTERM

// The directory of the running workspace, for the signal handler: a fixed
// buffer, since a handler may not allocate.
char gDirectory[4096];
volatile sig_atomic_t gDirectoryKnown = 0;

void RememberDirectory(const std::string& directory)
{
    gDirectoryKnown = 0;
    if (directory.size() >= sizeof gDirectory) return;
    std::memcpy(gDirectory, directory.c_str(), directory.size() + 1);
    gDirectoryKnown = 1;
}

// Removes the entries of the directory open as `fd`, one level of
// subdirectories included (the working files live in "temp/"), with system
// calls only: the handler may have interrupted anything, malloc included.
void RemoveEntriesAt(int fd, int depth)
{
    alignas(8) char buffer[4096];
    for (;;) {
        long bytes = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (bytes <= 0) return;
        for (long at = 0; at < bytes;) {
            struct Entry {
                unsigned long long inode;
                long long offset;
                unsigned short length;
                unsigned char type;
                char name[1];
            };
            const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
            at += entry->length;
            const char* name = entry->name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            if (::unlinkat(fd, name, 0) == 0 || depth == 0) continue;
            int inner = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (inner < 0) continue;
            RemoveEntriesAt(inner, depth - 1);
            ::close(inner);
            ::unlinkat(fd, name, AT_REMOVEDIR);
        }
    }
}

void RemoveDirectoryNow()
{
    if (!gDirectoryKnown) return;
    int fd = ::open(gDirectory, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) return;
    RemoveEntriesAt(fd, 1);
    ::close(fd);
    ::rmdir(gDirectory);
}

extern "C" void OnEndingSignal(int signal)
{
    RemoveDirectoryNow();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The ending signals wait while the directory is made and remembered, so
// that none finds a directory it does not know of.
class EndingSignalsHeld {
public:
    EndingSignalsHeld()
    {
        sigset_t ending;
        sigemptyset(&ending);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, signal);
        ::sigprocmask(SIG_BLOCK, &ending, &before_);
    }
    ~EndingSignalsHeld() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t before_;
};

std::string MakePrivateDirectory(const std::string& base)
{
    RemoveDirectoriesOfDeadRuns(base);
    std::string pattern = base + kDirectoryPrefix + std::to_string(::getpid()) + "-XXXXXX";
    EndingSignalsHeld held;
    if (::mkdtemp(pattern.data()) == nullptr) throw CliError(kExitUsage, WorkingSpaceMessage(base));
    std::string directory = pattern + "/";
    RememberDirectory(directory);
    return directory;
}

}  // namespace

void RemoveWorkspaceOnSignals()
{
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

Workspace::Workspace(TClock today) : directory_(MakePrivateDirectory(BaseDirectory()))
{
    statement_ = std::make_unique<TStatement>(directory_, ui_, std::move(today));
}

// As closing the window does, without its question: a pending row is
// dropped, the lists are closed and the working files removed; then the
// directory goes, with anything a failed step may have left in it.
Workspace::~Workspace()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        try {
            statement_->List(side).Cancel();
            statement_->List(side).Close();
        } catch (...) {
        }
    }
    try {
        statement_->RemoveWorkingFiles();
    } catch (...) {
    }
    statement_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    gDirectoryKnown = 0;
}

std::string Workspace::Write(const std::string& name, std::string_view bytes)
{
    std::string path = directory_ + name;
    try {
        ReplaceFile(path, bytes);
    } catch (const EFileError&) {
        Failed();
    }
    return path;
}

void Workspace::Failed() const { throw CliError(kExitUsage, WorkingSpaceMessage(BaseDirectory())); }

}  // namespace epinax::cli
