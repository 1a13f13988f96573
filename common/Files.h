// File helpers of the core: whole-file reading, safe replacement, copying.
#pragma once

#include <string>
#include <string_view>

namespace epinax {

// Reads a whole file; EFileError "Cannot open file %s" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Replaces `path` with `contents` so that a failure at any point (a full disk,
// an unwritable directory, a crash half-way) leaves the earlier file whole:
// the bytes go to a new file beside it, which is then renamed over it. A file
// marked read-only is not replaced. Errors: EFileError "Cannot create file %s"
// when the new file cannot be made, "Cannot write file %s" when the bytes
// cannot all be written.
void ReplaceFile(const std::string& path, std::string_view contents);

// Streams pieces into a new file beside `path` and renames it over `path` on
// Commit(); dropped unfinished, it removes the new file and leaves `path` as
// it was. Same errors as ReplaceFile.
class FileReplacer {
public:
    explicit FileReplacer(std::string path);
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    void Write(std::string_view bytes);
    void Commit();

private:
    void Flush();

    std::string path_;
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

// Removes what the replacement of large files set aside in a directory and
// had not removed yet (only after a crash).
void RemoveDiscardedFiles(const std::string& directory);

bool FileExists(const std::string& path);

// The directory of the running executable, with its trailing separator.
std::string ExecutableDirectory();

}  // namespace epinax
