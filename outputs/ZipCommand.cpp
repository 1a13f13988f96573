#include "outputs/ZipCommand.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"

namespace epinax {

namespace {

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// SystemReason speaks of writing; these are the reasons a read fails.
std::string ReadReason(int error)
{
    if (error == ENOENT) return "το αρχείο δεν υπάρχει";
    if (error == EACCES || error == EPERM) return "δεν έχετε δικαίωμα ανάγνωσης";
    if (error == EISDIR) return "είναι φάκελος, όχι αρχείο";
    if (error == EINVAL) return "δεν είναι κανονικό αρχείο (είναι σωλήνωση ή συσκευή)";
    return SystemReason(error);
}

[[noreturn]] void Unreadable(const std::string& path, int error)
{
    throw EFileError("Δεν ήταν δυνατό να διαβαστεί το αρχείο " + DisplayPath(path) + ": " + ReadReason(error), error);
}

// A file that no archive can hold is refused before it is read into memory;
// a FIFO or a device is no file to pack, and must not hang or fill the
// program.
std::string ReadSource(const std::string& path)
{
    std::optional<std::string> bytes;
    try {
        bytes = ReadRegularFileUpTo(path, kZipLargestSize);
    } catch (const EFileError& error) {
        Unreadable(path, error.SystemError());
    }
    if (!bytes)
        throw EZipError("Το αρχείο " + DisplayPath(path) +
                        " είναι 4 GiB ή μεγαλύτερο· ένα αρχείο zip δέχεται αρχεία μικρότερα από 4 GiB.");
    return std::move(*bytes);
}

// An extractor on the authority's side reads \, / and : as path separators
// and ".." as the folder above; a member name must stay one plain file name.
std::string PlainMemberName(const std::string& name)
{
    std::string plain;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/:", start);
        if (end == std::string::npos) end = name.size();
        const std::string component = name.substr(start, end - start);
        plain += component == ".." ? "__" : component;
        if (end < name.size()) plain += '_';
        start = end + 1;
    }
    return plain;
}

}  // namespace

std::string DefaultArchivePath(const std::string& chosenPath) { return chosenPath + ".zip"; }

bool ArchiveNameTaken(const std::string& archivePath)
{
    struct stat info {};
    return ::lstat(archivePath.c_str(), &info) == 0;
}

std::string MemberNameFor(const std::string& sourcePath)
{
    std::string name = PlainMemberName(FileNameOf(sourcePath));
    if (name.empty()) throw EZipError("Το " + DisplayPath(sourcePath) + " δεν είναι όνομα αρχείου.");
    std::optional<std::string> stored = cp1253::FromUtf8(name);
    if (!stored)
        throw EZipError("Το όνομα του αρχείου " + DisplayPath(name) +
                        " έχει χαρακτήρες που δεν γράφονται με ελληνικά Windows (1253)· "
                        "μετονομάστε το αρχείο και ξαναδοκιμάστε.");
    return *stored;
}

void ZipOneFile(const std::string& sourcePath, const std::string& archivePath, const TLocalClock& clock)
{
    std::string name = MemberNameFor(sourcePath);
    std::string bytes = ReadSource(sourcePath);
    TZipFile archive(clock);
    archive.AddMember(std::move(name), 0);
    archive.SetMemberData(0, bytes);
    bytes = std::string();  // the source is no longer needed while the archive is written
    try {
        archive.WriteToFile(archivePath);
    } catch (const EFileError& error) {
        throw EFileError("Δεν ήταν δυνατό να γραφτεί το αρχείο " + DisplayPath(archivePath) + ": " +
                             SystemReason(error.SystemError()),
                         error.SystemError());
    }
}

}  // namespace epinax
