// Greek texts are written in UTF-8 in the sources and used as Windows-1253,
// the code page of the whole core.
#pragma once

#include <string>
#include <string_view>

#include "common/Cp1253.h"

namespace epinax {

inline std::string G(std::string_view utf8) { return cp1253::FromUtf8OrThrow(utf8); }

}  // namespace epinax

namespace epinax {

// A file path as the user should read it inside a message: paths are bytes
// of the file system (UTF-8 here); what Windows-1253 cannot show becomes "?".
inline std::string DisplayPath(const std::string& path)
{
    if (auto text = cp1253::FromUtf8(path)) return *text;
    std::string shown;
    for (unsigned char c : path) shown += c < 0x80 ? static_cast<char>(c) : '?';
    return shown;
}

}  // namespace epinax
