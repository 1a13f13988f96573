// Splitting text into lines the way the program's files are read: CR, LF and
// CR LF each end a line, and a line end at the very end of the text makes no
// empty last line.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

namespace epinax {

// Calls `onLine(std::string_view)` for every line, in one pass over the text:
// the next LF is looked for once and kept until passed, so a text of lone CRs
// is not searched to its end for every line.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine)
{
    const char* p = text.data();
    const char* end = p + text.size();
    const char* lf = p;  // the next LF at or after p, or end; p itself: not looked for yet
    bool lfKnown = false;
    while (p < end) {
        if (!lfKnown || lf < p) {
            lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!lf) lf = end;
            lfKnown = true;
        }
        auto* cr = static_cast<const char*>(std::memchr(p, '\r', lf - p));
        const char* lineEnd = cr ? cr : lf;
        onLine(std::string_view(p, lineEnd - p));
        if (cr)
            p = (cr + 1 == lf) ? lf + 1 : cr + 1;
        else
            p = lf < end ? lf + 1 : end;
    }
}

inline std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

}  // namespace epinax
