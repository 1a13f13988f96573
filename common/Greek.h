// Texts inside the program are UTF-8; these help at its edges.
#pragma once

#include <string>
#include <string_view>

#include "common/Cp1253.h"

namespace epinax {

// The Windows-1253 bytes of a text the sources hold in UTF-8, for the files
// written in that code page (the printed report).
inline std::string G(std::string_view utf8) { return cp1253::FromUtf8OrThrow(utf8); }

// A file path as the user should read it inside a message: paths are bytes
// of the file system (UTF-8 here); bytes that are no UTF-8 become "?".
inline std::string DisplayPath(const std::string& path)
{
    if (IsValidUtf8(path)) return path;
    std::string shown;
    for (unsigned char c : path) shown += c < 0x80 ? static_cast<char>(c) : '?';
    return shown;
}

}  // namespace epinax
