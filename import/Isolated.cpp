#include "import/Isolated.h"

#include <fcntl.h>
#include <poll.h>
#include <seccomp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "common/Files.h"
#include "common/Greek.h"
#include "import/WorkbookParts.h"

extern char** environ;

#ifndef EPINAX_WORKBOOK_READER_BUILT
#define EPINAX_WORKBOOK_READER_BUILT ""
#endif

namespace epinax {

namespace {

constexpr const char* kHelperName = "epinax-workbook-reader";

// What goes through the pipe: a tag, then the block, the sheets' names or
// the error's message.
enum : char { kBlock = 'B', kNames = 'N', kError = 'E' };

// The largest answer a whole block can make: every stored cell a number, and
// all the texts a block may hold.
constexpr std::size_t kMaxAnswer =
    std::size_t{TSheetBlock::kMaxRows} * TSheetBlock::kMaxKeptColumns * 17 + workbook::kMaxBlockText + 64;

// The helper's memory, all of it (the libraries, the file's parts, the block);
// several times what the largest statement's sheet costs.
constexpr rlim_t kMaxMemory = rlim_t{1} << 30;

void PutNumber(std::string& out, std::uint64_t value) { out.append(reinterpret_cast<const char*>(&value), 8); }

std::string Serialised(const TSheetBlock& block)
{
    std::string out(1, kBlock);
    PutNumber(out, static_cast<std::uint64_t>(block.rows));
    PutNumber(out, static_cast<std::uint64_t>(block.columns));
    PutNumber(out, static_cast<std::uint64_t>(block.keptColumns));
    PutNumber(out, block.cells.size());
    for (const TCell& cell : block.cells) {
        out += static_cast<char>(cell.kind);
        if (cell.kind == TCell::Kind::Text) {
            PutNumber(out, cell.text.size());
            out += cell.text;
        } else if (cell.kind == TCell::Kind::Number) {
            std::uint64_t bits;
            std::memcpy(&bits, &cell.number, 8);
            PutNumber(out, bits);
        }
    }
    return out;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Number()
    {
        Need(8);
        std::uint64_t value;
        std::memcpy(&value, bytes_.data(), 8);
        bytes_.remove_prefix(8);
        return value;
    }
    std::string Text(std::uint64_t size)
    {
        Need(size);
        std::string text(bytes_.substr(0, size));
        bytes_.remove_prefix(size);
        return text;
    }
    char Byte() { return Text(1)[0]; }
    bool AtEnd() const { return bytes_.empty(); }

private:
    void Need(std::uint64_t size)
    {
        if (bytes_.size() < size) throw EWorkbookError("");
    }
    std::string_view bytes_;
};

TCell::Kind KindOf(char tag)
{
    const auto kind = static_cast<TCell::Kind>(tag);
    if (kind != TCell::Kind::Empty && kind != TCell::Kind::Text && kind != TCell::Kind::Number)
        throw EWorkbookError("");
    return kind;
}

// The helper is trusted no more than the file it read: a block that breaks
// the limits of any block is no answer.
TSheetBlock Deserialised(std::string_view bytes)
{
    Reader in(bytes.substr(1));
    TSheetBlock block;
    const std::uint64_t rows = in.Number(), columns = in.Number(), kept = in.Number(), count = in.Number();
    if (rows > TSheetBlock::kMaxRows || columns > TSheetBlock::kMaxColumns || (rows == 0) != (columns == 0) ||
        kept < 1 || kept > TSheetBlock::kMaxKeptColumns)
        throw EWorkbookError("");
    block.rows = static_cast<int>(rows);
    block.columns = static_cast<int>(columns);
    block.keptColumns = static_cast<int>(kept);
    if (count != rows * static_cast<std::uint64_t>(block.StoredColumns())) throw EWorkbookError("");
    block.cells.resize(count);
    for (TCell& cell : block.cells) {
        cell.kind = KindOf(in.Byte());
        if (cell.kind == TCell::Kind::Text) {
            cell.text = in.Text(in.Number());
        } else if (cell.kind == TCell::Kind::Number) {
            std::uint64_t bits = in.Number();
            std::memcpy(&cell.number, &bits, 8);
        }
    }
    if (!in.AtEnd()) throw EWorkbookError("");
    return block;
}

std::string SerialisedNames(const std::vector<std::string>& names)
{
    std::string out(1, kNames);
    PutNumber(out, names.size());
    for (const std::string& name : names) {
        PutNumber(out, name.size());
        out += name;
    }
    return out;
}

std::vector<std::string> DeserialisedNames(std::string_view bytes)
{
    Reader in(bytes.substr(1));
    const std::uint64_t count = in.Number();
    std::vector<std::string> names;
    for (std::uint64_t i = 0; i < count; ++i) names.push_back(in.Text(in.Number()));
    if (!in.AtEnd()) throw EWorkbookError("");
    return names;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

// Beside the running program, where it is installed; a program of the build
// tree (a test) finds it where the build made it.
std::string HelperPath()
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        const std::string program(self, static_cast<std::size_t>(length));
        const std::string beside = program.substr(0, program.rfind('/') + 1) + kHelperName;
        if (::access(beside.c_str(), X_OK) == 0) return beside;
    }
    return EPINAX_WORKBOOK_READER_BUILT;
}

// The helper starts with the signals as a fresh program has them, whatever
// this program ignores or blocks, so that its limits end it.
pid_t Spawn(const std::string& helper, const std::vector<std::string>& request, int answer)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, answer, 1);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGXCPU, SIGXFSZ, SIGSEGV, SIGABRT}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> arguments{const_cast<char*>(helper.c_str())};
    for (const std::string& argument : request) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t child = -1;
    const int failed = ::posix_spawn(&child, helper.c_str(), &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) errno = failed;
    return failed == 0 ? child : -1;
}

[[noreturn]] void ThrowNoHelper(const std::string& helper, int systemError)
{
    throw EWorkbookError("Δεν ήταν δυνατό να ξεκινήσει το πρόγραμμα ανάγνωσης βιβλίων εργασίας " + DisplayPath(helper) +
                         " (" + (systemError == ENOENT ? "δεν βρέθηκε" : SystemReason(systemError)) +
                         "). Εγκαταστήστε ξανά την εφαρμογή.");
}

struct TDescriptor {
    explicit TDescriptor(int descriptor) : fd(descriptor) {}
    ~TDescriptor() { ::close(fd); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    const int fd;
};

// The helper never outlives its reading, whatever ends it. It is killed even
// after it closed its answer: a helper that exits already cannot be hurt by
// it, and one that closed its output to hang would hold the window forever.
class THelper {
public:
    explicit THelper(pid_t pid) : pid_(pid) {}
    ~THelper()
    {
        if (pid_ > 0) End();
    }
    THelper(const THelper&) = delete;
    THelper& operator=(const THelper&) = delete;

    bool Started() const { return pid_ > 0; }
    // Its wait status.
    int End()
    {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_;
};

enum class TCollected { Whole, Failed, Stopped };

// Everything the helper writes, until it closes the pipe, time runs out, it
// says more than any block, or the user stops the reading.
TCollected Collect(int in, std::string& bytes, int seconds, const std::function<bool()>& keepReading)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    auto nextAsk = Clock::now();
    char buffer[65536];
    for (;;) {
        const auto now = Clock::now();
        if (now >= nextAsk) {
            if (!keepReading()) return TCollected::Stopped;
            nextAsk = Clock::now() + std::chrono::milliseconds(100);
        }
        if (now >= deadline) return TCollected::Failed;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(std::min(deadline, nextAsk) - now);
        pollfd ready{in, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(wait.count()) + 1);
        if (polled < 0 && errno != EINTR) return TCollected::Failed;
        if (polled <= 0) continue;
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return TCollected::Failed;
        if (got == 0) return TCollected::Whole;
        if (bytes.size() + static_cast<std::size_t>(got) > kMaxAnswer) return TCollected::Failed;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

std::string UnreadableMessage(const std::string& path)
{
    return "Το αρχείο " + DisplayPath(path.substr(path.rfind('/') + 1)) +
           " δεν διαβάζεται: είναι κατεστραμμένο ή δεν είναι βιβλίο εργασίας.";
}

void Limit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    if (::setrlimit(resource, &limit) != 0) throw std::runtime_error("setrlimit failed");
}

struct TSeccompRelease {
    void operator()(void* filter) const { seccomp_release(filter); }
};

void Deny(scmp_filter_ctx filter, int call, unsigned argument = 0, int flag = 0)
{
    const scmp_arg_cmp flagSet{argument, SCMP_CMP_MASKED_EQ, static_cast<scmp_datum_t>(flag),
                               static_cast<scmp_datum_t>(flag)};
    const int added = seccomp_rule_add_array(filter, SCMP_ACT_ERRNO(EPERM), call, flag != 0 ? 1 : 0, &flagSet);
    // A call this machine's architecture does not have (a negative number of libseccomp's) needs no rule.
    if (added != 0 && call >= 0) throw std::runtime_error("seccomp_rule_add failed");
}

// io_uring would open and write files past the filter, so it goes too.
void InstallFilter()
{
    std::unique_ptr<void, TSeccompRelease> filter(seccomp_init(SCMP_ACT_ALLOW));
    if (!filter) throw std::runtime_error("seccomp_init failed");
    for (int call : {SCMP_SYS(socket),
                     SCMP_SYS(socketpair),
                     SCMP_SYS(connect),
                     SCMP_SYS(bind),
                     SCMP_SYS(listen),
                     SCMP_SYS(accept),
                     SCMP_SYS(accept4),
                     SCMP_SYS(execve),
                     SCMP_SYS(execveat),
                     SCMP_SYS(ptrace),
                     SCMP_SYS(process_vm_writev),
                     SCMP_SYS(process_vm_readv),
                     SCMP_SYS(creat),
                     SCMP_SYS(truncate),
                     SCMP_SYS(ftruncate),
                     SCMP_SYS(unlink),
                     SCMP_SYS(unlinkat),
                     SCMP_SYS(rmdir),
                     SCMP_SYS(rename),
                     SCMP_SYS(renameat),
                     SCMP_SYS(renameat2),
                     SCMP_SYS(mkdir),
                     SCMP_SYS(mkdirat),
                     SCMP_SYS(link),
                     SCMP_SYS(linkat),
                     SCMP_SYS(symlink),
                     SCMP_SYS(symlinkat),
                     SCMP_SYS(mknod),
                     SCMP_SYS(mknodat),
                     SCMP_SYS(chmod),
                     SCMP_SYS(fchmodat),
                     SCMP_SYS(chown),
                     SCMP_SYS(lchown),
                     SCMP_SYS(fchownat),
                     SCMP_SYS(openat2),
                     SCMP_SYS(open_by_handle_at),
                     SCMP_SYS(io_uring_setup)})
        Deny(filter.get(), call);
    for (int flag : {O_WRONLY, O_RDWR, O_CREAT, O_TRUNC}) {
        Deny(filter.get(), SCMP_SYS(open), 1, flag);
        Deny(filter.get(), SCMP_SYS(openat), 2, flag);
    }
    if (seccomp_load(filter.get()) != 0) throw std::runtime_error("seccomp_load failed");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;  // its shadow memory reserves terabytes of address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

}  // namespace

void ConfineReader()
{
    // A write past the file size limit fails instead of ending the helper, so
    // that a library's warning on a standard error that is a file is only lost.
    ::signal(SIGXFSZ, SIG_IGN);
    if (!kAddressSanitizer) Limit(RLIMIT_AS, kMaxMemory);
    Limit(RLIMIT_CPU, 60);
    Limit(RLIMIT_FSIZE, 0);
    Limit(RLIMIT_CORE, 0);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) throw std::runtime_error("PR_SET_NO_NEW_PRIVS failed");
    InstallFilter();
}

namespace {

// What the helper's arguments ask for, answered in this process.
std::string Answer(int argc, const char* const* argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (argc == 2) return Serialised(workbook::ReadFirstSheetHere(argv[1]));
    if (argc == 3 && mode == "--names") return SerialisedNames(workbook::SheetNamesHere(argv[2]));
    if (argc != 6 || mode != "--sheet") throw std::invalid_argument("arguments");
    TSheetChoice sheet;
    sheet.position = std::atoi(argv[2]);
    sheet.name = argv[3];
    sheet.keptColumns = std::atoi(argv[4]);
    if (sheet.keptColumns < 1 || sheet.keptColumns > TSheetBlock::kMaxKeptColumns)
        throw std::invalid_argument("kept columns");
    return Serialised(workbook::ReadSheetHere(argv[5], sheet));
}

// The helper's answer as it came through the pipe, or the unreadable file's
// refusal; the helper's own refusal is thrown as it gave it.
std::string Ask(const std::string& helper, const std::vector<std::string>& request, const std::string& path,
                const std::function<bool()>& keepReading, int seconds)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw EWorkbookError(UnreadableMessage(path));
    const TDescriptor answer(pipeEnds[0]);
    THelper child(Spawn(helper, request, pipeEnds[1]));
    const int spawnError = errno;
    ::close(pipeEnds[1]);
    if (!child.Started()) ThrowNoHelper(helper, spawnError);
    std::string bytes;
    const TCollected collected = Collect(answer.fd, bytes, seconds, keepReading);
    const int status = child.End();
    if (collected == TCollected::Stopped) throw EWorkbookReadingStopped();
    if (collected != TCollected::Whole || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.empty())
        throw EWorkbookError(UnreadableMessage(path));
    if (bytes[0] == kError) throw EWorkbookError(bytes.substr(1));
    return bytes;
}

TSheetBlock BlockOf(const std::string& bytes, const std::string& path)
{
    try {
        if (bytes[0] != kBlock) throw EWorkbookError("");
        return Deserialised(bytes);
    } catch (const EWorkbookError&) {
        throw EWorkbookError(UnreadableMessage(path));
    }
}

}  // namespace

int RunWorkbookReader(int argc, const char* const* argv)
{
    std::string answer;
    try {
        ConfineReader();
        answer = Answer(argc, argv);
    } catch (const EWorkbookError& error) {
        answer = std::string(1, kError) + error.what();
    } catch (...) {
        return 2;
    }
    return WriteAll(1, answer) ? 0 : 3;
}

TSheetBlock ReadInHelper(const std::string& path, const std::function<bool()>& keepReading, int seconds)
{
    return ReadInHelper(HelperPath(), path, keepReading, seconds);
}

TSheetBlock ReadInHelper(const std::string& helper, const std::string& path, const std::function<bool()>& keepReading,
                         int seconds)
{
    return BlockOf(Ask(helper, {path}, path, keepReading, seconds), path);
}

TSheetBlock ReadSheetInHelper(const std::string& path, const TSheetChoice& sheet,
                              const std::function<bool()>& keepReading)
{
    const std::vector<std::string> request{"--sheet", std::to_string(sheet.position), sheet.name,
                                           std::to_string(sheet.keptColumns), path};
    return BlockOf(Ask(HelperPath(), request, path, keepReading, 60), path);
}

std::vector<std::string> SheetNamesInHelper(const std::string& path)
{
    const std::string bytes = Ask(
        HelperPath(), {"--names", path}, path, [] { return true; }, 60);
    try {
        if (bytes[0] != kNames) throw EWorkbookError("");
        return DeserialisedNames(bytes);
    } catch (const EWorkbookError&) {
        throw EWorkbookError(UnreadableMessage(path));
    }
}

}  // namespace epinax
