// The zip command without its dialogs: a chosen file packed into an archive
// of its own, for upload to the authority. The window asks for the two names
// and whether to replace an existing archive; the command-line tool takes
// them from its arguments.
#pragma once

#include <string>

#include "outputs/SciZipFile.h"

namespace epinax {

// The archive path for the name chosen in the save dialog: ".zip" is always
// appended, since the dialog adds no extension of its own (X.PIS gives
// X.PIS.zip, A.zip gives A.zip.zip).
std::string DefaultArchivePath(const std::string& chosenPath);

// The stored name of a member: the file name of `sourcePath` without its
// directory, turned from the file system's UTF-8 into Windows-1253. Each \, /
// and : in it, and each dot of a ".." between them, becomes "_", so that no
// extractor reads the name as a path. EZipError when the code page cannot
// hold it.
std::string MemberNameFor(const std::string& sourcePath);

// Whether the archive's name is taken: by anything at all, a dangling
// symbolic link or a link to a folder included, since writing the archive
// replaces whatever is there.
bool ArchiveNameTaken(const std::string& archivePath);

// Reads `sourcePath` whole and writes, in place of any file at `archivePath`,
// an archive holding it as its one member (external attributes 0). Errors,
// all Greek: EFileError naming the source when it cannot be
// read, or the archive when it cannot be written (an earlier archive is then
// left whole); EZipError when the name or the size does not fit the format.
// Nothing is written on any error. A source that is not a regular file (a
// FIFO, a device) is refused without being read. Pieces of the archive that
// an earlier run left beside it when it died are removed first.
void ZipOneFile(const std::string& sourcePath, const std::string& archivePath, const TLocalClock& clock = LocalNow);

}  // namespace epinax
