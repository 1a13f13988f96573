// Splitting text into lines the way the program's files are read: CR, LF and
// CR LF each end a line, and a line end at the very end of the text makes no
// empty last line.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

namespace epinax {

// Calls `onLine(std::string_view)` for every line; fast on large files.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* limit = lf ? lf : end;
        auto* cr = static_cast<const char*>(std::memchr(p, '\r', limit - p));
        const char* lineEnd = cr ? cr : limit;
        onLine(std::string_view(p, lineEnd - p));
        if (cr)
            p = (cr + 1 == lf) ? lf + 1 : cr + 1;
        else
            p = lf ? lf + 1 : end;
    }
}

inline std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

}  // namespace epinax
