#include "common/Files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "common/Errors.h"

namespace epinax {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { if (fd_ >= 0) ::close(fd_); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

[[noreturn]] void FileError(const char* pattern, const std::string& path)
{
    throw EFileError(FormatMessage(pattern, path));
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
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

mode_t NewFileMode(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

constexpr size_t kWriteChunk = 1 << 20;

const char* const kDiscarded = ".discarded-";

// A large file whose last name goes away takes the kernel a while to free.
// The user does not wait for that: the old file is renamed aside at once and
// removed on a thread of its own (the name is gone from every listing the
// program reads; a discarded file left by a crash is removed at close).
void DiscardAside(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_size < (1 << 20))
        return;
    std::string aside = path + kDiscarded + std::to_string(::getpid()) + "-" + std::to_string(info.st_ino);
    if (::rename(path.c_str(), aside.c_str()) != 0) return;
    try {
        std::thread([aside] { ::unlink(aside.c_str()); }).detach();
    } catch (...) {
        ::unlink(aside.c_str());
    }
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) FileError("Cannot open file %s", path);
    // Read straight into the result: a large record file is read at the
    // speed of the disk, without a second copy. The size may have changed
    // since fstat, so read on until the end.
    std::string text(static_cast<size_t>(info.st_size), '\0');
    size_t filled = 0;
    char probe[4096];
    while (true) {
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
    text.resize(filled);
    return text;
}

// ------------------------------------------------------------ FileReplacer

FileReplacer::FileReplacer(std::string path) : path_(std::move(path))
{
    if (IsMarkedReadOnly(path_)) FileError("Cannot create file %s", path_);
    std::string pattern = path_ + ".XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) FileError("Cannot create file %s", path_);
    tempPath_ = pattern;
    ::fchmod(fd_, NewFileMode(path_));
    buffer_.reserve(kWriteChunk);
}

FileReplacer::~FileReplacer()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(tempPath_.c_str());
    }
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

void FileReplacer::Commit()
{
    Flush();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        ::unlink(tempPath_.c_str());
        FileError("Cannot write file %s", path_);
    }
    DiscardAside(path_);
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        ::unlink(tempPath_.c_str());
        FileError("Cannot write file %s", path_);
    }
}

void ReplaceFile(const std::string& path, std::string_view contents)
{
    FileReplacer out(path);
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
    } catch (const EFileError&) {
        FileError("Cannot open file %s", source);
    }
    try {
        ReplaceFile(target, bytes);
    } catch (const EFileError&) {
        FileError("Cannot create file %s", target);
    }
}

void ReplaceWithCopy(const std::string& source, const std::string& destination)
{
    if (IsMarkedReadOnly(destination)) FileError("Cannot create file %s", destination);
    std::string linked = destination + ".link";
    ::unlink(linked.c_str());
    if (::link(source.c_str(), linked.c_str()) == 0) {
        DiscardAside(destination);
        if (::rename(linked.c_str(), destination.c_str()) == 0) return;
        ::unlink(linked.c_str());
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
