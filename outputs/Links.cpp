#include "outputs/Links.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "common/Authority.h"
#include "common/Errors.h"
#include "common/Files.h"

namespace epinax {

namespace {

// An argument of Exec as the desktop entry rules ask: in double quotes, with
// ", `, $ and \ escaped by a backslash and % doubled; then the backslashes of
// the whole value escaped once more, as every string value's are.
std::string ExecArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

// A plain string value: backslashes and line ends escaped.
std::string StringValue(const std::string& text)
{
    std::string value;
    for (char c : text) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else if (c == '\r')
            value += "\\r";
        else
            value += c;
    }
    return value;
}

bool HoldsControlCharacter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

std::string WebSiteAddress() { return std::string("http://") + kAuthorityHost + "/"; }

std::string SubmissionAddress() { return std::string("https://") + kAuthorityHost + "/skpp/afmroot/enter.kefys"; }

std::string DesktopEntryText(const std::string& programPath, const std::string& icon)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=e-ΠΙΝΑΞ\n"
           "Comment=Συγκεντρωτικές καταστάσεις πελατών-προμηθευτών\n"
           "Exec=" +
           ExecArgument(programPath) +
           "\n"
           "Path=" +
           StringValue(DirectoryOf(programPath)) +
           "\n"
           "Icon=" +
           StringValue(icon) +
           "\n"
           "Terminal=false\n"
           "Categories=Office;Finance;\n";
}

void WriteDesktopLauncher(const std::string& desktopDirectory, const std::string& programPath, const std::string& icon)
{
    // A line end in the path would start a line of its own in the entry (a
    // second Exec), and the other control characters have no escape there.
    if (HoldsControlCharacter(programPath) || HoldsControlCharacter(icon))
        throw EFileError("Cannot create file " + std::string(kLauncherFileName), EINVAL);
    std::string directory = desktopDirectory;
    if (directory.empty() || directory.back() != '/') directory += '/';
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw EFileError("Cannot create file " + directory + kLauncherFileName, ENOENT);
    const std::string path = directory + kLauncherFileName;
    ReplaceFile(path, DesktopEntryText(programPath, icon), TDurability::UserFile);
    ::chmod(path.c_str(), 0755);
}

}  // namespace epinax
