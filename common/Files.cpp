#include "common/Files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/Errors.h"

namespace epinax {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// `error` is taken before anything else can change errno.
[[noreturn]] void FileError(const char* pattern, const std::string& path, int error)
{
    throw EFileError(FormatMessage(pattern, path), error);
}

[[noreturn]] void FileError(const char* pattern, const std::string& path) { FileError(pattern, path, errno); }

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = ENOSPC;  // a write that takes nothing has found no room
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A file without any write permission is treated as read-only, as the
// platform the users come from does, even for a user who could override it.
bool IsMarkedReadOnly(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

// A file replaced keeps its permissions; whatever else is at the name (a
// link to a folder) lends none.
mode_t NewFileMode(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

constexpr size_t kWriteChunk = 1 << 20;

const char* const kDiscarded = ".discarded-";

// Freeing a large file's data takes the kernel a while once its last name
// goes, and the lists' working files are replaced after every post. The user
// does not wait for that: before the new file takes the name, the old data
// gets a second name beside it (so the name itself is never empty, not even
// for a moment), and that second name is removed here, on a worker of its
// own. The worker is joined when the program ends, after it has removed all
// it was given; a crash leaves the names behind, which RemoveDiscardedFiles
// sweeps.
class DiscardedFiles {
public:
    ~DiscardedFiles()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (worker_.joinable()) worker_.join();
    }

    void Add(std::string path)
    {
        std::unique_lock lock(mutex_);
        if (!worker_.joinable()) {
            try {
                worker_ = std::thread([this] { Run(); });
            } catch (const std::system_error&) {
                lock.unlock();
                ::unlink(path.c_str());  // no worker: the caller waits after all
                return;
            }
        }
        paths_.push_back(std::move(path));
        lock.unlock();
        wake_.notify_one();
    }

private:
    void Run()
    {
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [this] { return stopping_ || !paths_.empty(); });
            if (paths_.empty()) return;
            std::string path = std::move(paths_.front());
            paths_.pop_front();
            lock.unlock();
            ::unlink(path.c_str());
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> paths_;
    bool stopping_ = false;
    std::thread worker_;
};

DiscardedFiles& Discarded()
{
    static DiscardedFiles files;
    return files;
}

// Gives the data under `path` a second name to be freed by the worker, when
// it is large and `path` is its only name; the caller then renames over it.
void KeepAsideForFreeing(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_size < (1 << 20))
        return;
    std::string aside = path + kDiscarded + std::to_string(::getpid()) + "-" + std::to_string(info.st_ino);
    if (::link(path.c_str(), aside.c_str()) == 0) Discarded().Add(std::move(aside));
}

// A power cut must not leave a file the user asked for empty: its bytes reach
// the disk before its name moves to them, and the name's move reaches the disk
// before the user is told it is saved.
bool SyncDirectoryOf(const std::string& path)
{
    std::string directory = path.substr(0, path.rfind('/') + 1);
    if (directory.empty()) directory = ".";
    FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) { return *ReadFileUpTo(path, std::string::npos - 1); }

namespace {

std::optional<std::string> ReadOpenFileUpTo(const FileDescriptor& fd, const struct stat& info, const std::string& path,
                                            size_t limit)
{
    if (S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) > limit) return std::nullopt;
    // Read straight into the result: a large file is read at the speed of
    // the disk, without a second copy. The size may have changed since fstat
    // (or is none, for a pipe), so read on until the end or past the limit.
    std::string text(S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0, '\0');
    size_t filled = 0;
    char probe[65536];
    while (filled <= limit) {
        bool full = filled == text.size();
        char* into = full ? probe : text.data() + filled;
        size_t room = full ? sizeof probe : text.size() - filled;
        ssize_t got = ::read(fd.get(), into, room);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) FileError("Cannot read file %s", path);
        if (got == 0) break;
        if (full) text.append(probe, static_cast<size_t>(got));
        filled += static_cast<size_t>(got);
    }
    if (filled > limit) return std::nullopt;
    text.resize(filled);
    return text;
}

}  // namespace

std::optional<std::string> ReadFileUpTo(const std::string& path, size_t limit)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) FileError("Cannot open file %s", path);
    return ReadOpenFileUpTo(fd, info, path, limit);
}

std::optional<std::string> ReadRegularFileUpTo(const std::string& path, size_t limit, TLinks links)
{
    const int noFollow = links == TLinks::Refuse ? O_NOFOLLOW : 0;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) FileError("Cannot open file %s", path);
    if (!S_ISREG(info.st_mode)) FileError("Cannot open file %s", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    return ReadOpenFileUpTo(fd, info, path, limit);
}

// ------------------------------------------------------------ FileReplacer

namespace {
const char* const kUserPieceSuffix = ".epinax-new";
}  // namespace

FileReplacer::FileReplacer(std::string path, TDurability durability) : path_(std::move(path)), durability_(durability)
{
    if (IsMarkedReadOnly(path_)) FileError("Cannot create file %s", path_, EACCES);
    // A file the user asked for lies among the user's own files: its new
    // file carries a suffix that no file of theirs has, and the pieces an
    // earlier run left when it died are swept before another is made.
    const bool userFile = durability_ == TDurability::UserFile;
    if (userFile) RemovePiecesOfDeadWriters(path_);
    std::string pattern = path_ + ".XXXXXX" + (userFile ? kUserPieceSuffix : "");
    fd_ = ::mkostemps(pattern.data(), userFile ? static_cast<int>(std::strlen(kUserPieceSuffix)) : 0, O_CLOEXEC);
    if (fd_ < 0) FileError("Cannot create file %s", path_);
    tempPath_ = pattern;
    // Held until the file is closed, or the program dies: while it is held,
    // RemovePiecesOfDeadWriters leaves the file alone.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    ::fchmod(fd_, NewFileMode(path_));
    buffer_.reserve(kWriteChunk);
}

FileReplacer::~FileReplacer()
{
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void FileReplacer::Flush()
{
    if (!WriteAll(fd_, buffer_)) FileError("Cannot write file %s", path_);
    buffer_.clear();
}

void FileReplacer::Write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > kWriteChunk) Flush();
    if (bytes.size() >= kWriteChunk) {
        if (!WriteAll(fd_, bytes)) FileError("Cannot write file %s", path_);
        return;
    }
    buffer_.append(bytes);
}

void FileReplacer::Finish()
{
    if (fd_ < 0) return;
    Flush();
    int fd = fd_;
    fd_ = -1;
    bool written = durability_ != TDurability::UserFile || ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        FileError("Cannot write file %s", path_, error);
    }
}

// The new file takes the name in one step: at no moment is there no file
// under it, and the earlier file's data is freed only once its name is gone.
void FileReplacer::Commit()
{
    Finish();
    if (tempPath_.empty()) FileError("Cannot write file %s", path_, 0);
    KeepAsideForFreeing(path_);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        int error = errno;
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        FileError("Cannot write file %s", path_, error);
    }
    tempPath_.clear();
    if (durability_ == TDurability::UserFile && !SyncDirectoryOf(path_)) FileError("Cannot write file %s", path_);
}

void ReplaceFile(const std::string& path, std::string_view contents, TDurability durability)
{
    FileReplacer out(path, durability);
    out.Write(contents);
    out.Commit();
}

// -------------------------------------------------------------------- copy

void copy(const std::string& source, const std::string& destination)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    std::string target = fs::absolute(destination, ignored).string();
    if (target.empty()) target = destination;
    if (fs::is_directory(target, ignored)) {
        if (target.back() != '/') target += '/';
        target += fs::path(source).filename().string();
    }
    // The source is read whole first: the destination must not be created
    // when the source cannot be read.
    std::string bytes;
    try {
        bytes = ReadWholeFile(source);
    } catch (const EFileError& error) {
        FileError("Cannot open file %s", source, error.SystemError());
    }
    try {
        ReplaceFile(target, bytes);
    } catch (const EFileError& error) {
        FileError("Cannot create file %s", target, error.SystemError());
    }
}

void ReplaceWithCopy(const std::string& source, const std::string& destination)
{
    if (IsMarkedReadOnly(destination)) FileError("Cannot create file %s", destination, EACCES);
    std::string linked = destination + ".link";
    ::unlink(linked.c_str());
    if (::link(source.c_str(), linked.c_str()) == 0) {
        KeepAsideForFreeing(destination);
        bool renamed = ::rename(linked.c_str(), destination.c_str()) == 0;
        // A rename between two names of one file does nothing and succeeds:
        // the extra name stays behind unless it is removed here.
        ::unlink(linked.c_str());
        if (renamed) return;
    }
    copy(source, destination);
}

void RemoveDiscardedFiles(const std::string& directory)
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored))
        if (entry.path().filename().string().find(kDiscarded) != std::string::npos)
            std::filesystem::remove(entry.path(), ignored);
}

namespace {

// The names mkostemp gives: PATH, a dot and six letters or digits.
bool IsPieceOf(const std::string& name, const std::string& base)
{
    constexpr size_t kRandom = 6;
    const std::string_view suffix = kUserPieceSuffix;
    if (name.size() != base.size() + 1 + kRandom + suffix.size() || !name.starts_with(base + '.') ||
        !name.ends_with(suffix))
        return false;
    const auto random = name.end() - static_cast<std::ptrdiff_t>(suffix.size() + kRandom);
    return std::all_of(random, random + kRandom, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

bool WriterIsGone(const std::string& piece)
{
    FileDescriptor fd(::open(piece.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    return fd && ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

void RemovePiecesOfDeadWriters(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string base = target.filename().string();
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string piece = it->path().string();
        if (IsPieceOf(it->path().filename().string(), base) && WriterIsGone(piece)) ::unlink(piece.c_str());
    }
}

std::string SystemReason(int error)
{
    switch (error) {
    case 0: return "άγνωστη αιτία";
    case ENOSPC: return "δεν υπάρχει ελεύθερος χώρος στον δίσκο";
    case EDQUOT: return "εξαντλήθηκε ο χώρος που σας αναλογεί στον δίσκο";
    case EACCES:
    case EPERM: return "δεν έχετε δικαίωμα εγγραφής";
    case EROFS: return "ο δίσκος δέχεται μόνο ανάγνωση";
    case ENOENT:
    case ENOTDIR: return "ο φάκελος δεν υπάρχει";
    case EFBIG: return "το αρχείο ξεπερνά το επιτρεπόμενο μέγεθος";
    case EIO: return "σφάλμα εισόδου/εξόδου του δίσκου";
    case EMFILE:
    case ENFILE: return "είναι ανοιχτά πάρα πολλά αρχεία";
    default: return "σφάλμα συστήματος " + std::to_string(error);
    }
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string ExecutableDirectory()
{
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    std::string path(buffer, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace epinax
