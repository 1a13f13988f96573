// File helpers of the core: whole-file reading, safe replacement, copying.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace epinax {

// Reads a whole file; EFileError "Cannot open file %s" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// The same for a file that may be no larger than `limit` bytes (a pipe too,
// read once): nothing when it is larger, found before reading a regular file.
std::optional<std::string> ReadFileUpTo(const std::string& path, size_t limit);

// The same for a file that must be a regular file: opened without blocking
// (a FIFO under its name cannot hang the program) and, with
// TLinks::Refuse, without following a symbolic link at its name. Anything
// else (a FIFO, a device, a directory, a link refused) raises EFileError
// "Cannot open file %s" with EINVAL, ELOOP or the system's error.
enum class TLinks { Follow, Refuse };
std::optional<std::string> ReadRegularFileUpTo(const std::string& path, size_t limit, TLinks links = TLinks::Follow);

// Working files are rewritten many times a minute and rebuilt from the lists
// after a crash; a file the user asked for must survive a power cut too.
enum class TDurability { WorkingFile, UserFile };

// Replaces `path` with `contents` so that a failure at any point (a full disk,
// an unwritable directory, a crash half-way) leaves the earlier file whole:
// the bytes go to a new file beside it, which is then renamed over it. A file
// marked read-only is not replaced. Errors: EFileError "Cannot create file %s"
// when the new file cannot be made, "Cannot write file %s" when the bytes
// cannot all be written.
void ReplaceFile(const std::string& path, std::string_view contents, TDurability durability = TDurability::WorkingFile);

// Streams pieces into a new file beside `path` and renames it over `path` on
// Commit(); dropped unfinished, it removes the new file and leaves `path` as
// it was. Same errors as ReplaceFile.
class FileReplacer {
public:
    explicit FileReplacer(std::string path, TDurability durability = TDurability::WorkingFile);
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    void Write(std::string_view bytes);
    // Writes out everything and closes the new file, which is then whole
    // beside `path`; a full disk shows here, before anything is replaced.
    void Finish();
    // Finishes, and renames the new file over `path`.
    void Commit();
    // The new file's name, for a library that writes a file by its name
    // rather than in pieces; what it writes there is what Commit() renames.
    const std::string& NewFilePath() const { return tempPath_; }

private:
    void Flush();

    std::string path_;
    TDurability durability_;
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
};

// The whole-file copy routine: copies `source` onto `destination` (created or
// truncated). When the destination names a directory, the source's file name
// is appended to it. Errors: "Cannot open file %s" (source), "Cannot create
// file %s" (destination).
void copy(const std::string& source, const std::string& destination);

// Makes `destination` a copy of `source`. Every file the program writes is
// replaced whole through a new file, never changed in place, so a second name
// for the same file (a hard link) is as good a copy as any and costs no
// writing; where the file system has no links, the bytes are copied.
void ReplaceWithCopy(const std::string& source, const std::string& destination);

// Removes the second names that the replacement of large files gives their
// old data for freeing, left in a directory by a crash.
void RemoveDiscardedFiles(const std::string& directory);

// Removes the new files ("PATH.XXXXXX.epinax-new") that a FileReplacer of a
// user's file left beside `path` when its program died (kill -9, a power
// cut): only regular files of this user that no living writer holds, since a
// FileReplacer keeps a lock on its new file for as long as it writes. A
// FileReplacer of a user's file does this before it begins.
void RemovePiecesOfDeadWriters(const std::string& path);

// The system's reason for a failed file operation (an errno value), in Greek.
std::string SystemReason(int error);

bool FileExists(const std::string& path);

// The directory of the running executable, with its trailing separator.
std::string ExecutableDirectory();

}  // namespace epinax
