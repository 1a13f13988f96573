// The program's ties to the desktop and to the authority's web site: the two
// addresses the Tools menu opens, and the desktop launcher it writes.
#pragma once

#include <string>

namespace epinax {

std::string WebSiteAddress();     // http://HOST/
std::string SubmissionAddress();  // https://HOST/skpp/afmroot/enter.kefys

// The launcher's file name in the desktop directory (UTF-8).
inline constexpr char kLauncherFileName[] = "E-ΠΙΝΑΞ.desktop";

// A desktop entry that starts the program at `programPath` in its own
// directory, with `icon` (an icon name or a picture's path). UTF-8, as such
// files are.
std::string DesktopEntryText(const std::string& programPath, const std::string& icon);

// Writes the launcher into `desktopDirectory`, whole (beside and renamed),
// and makes it executable, as desktops ask of launchers they are to trust.
// Throws EFileError when the directory is missing or cannot be written, and
// when the program's path or the icon holds a control character (a line
// break in a folder's name), which no desktop entry can carry safely.
void WriteDesktopLauncher(const std::string& desktopDirectory, const std::string& programPath, const std::string& icon);

}  // namespace epinax
