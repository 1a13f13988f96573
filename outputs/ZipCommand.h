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
// directory, turned from the file system's UTF-8 into Windows-1253. EZipError
// when the code page cannot hold it.
std::string MemberNameFor(const std::string& sourcePath);

// Reads `sourcePath` whole and writes, in place of any file at `archivePath`,
// an archive holding it as its one member (external attributes 0). Errors,
// all Greek in Windows-1253: EFileError naming the source when it cannot be
// read, or the archive when it cannot be written (an earlier archive is then
// left whole); EZipError when the name or the size does not fit the format.
// Nothing is written on any error.
void ZipOneFile(const std::string& sourcePath, const std::string& archivePath, const TLocalClock& clock = LocalNow);

}  // namespace epinax
