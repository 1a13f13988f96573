// Trimming of the record texts, shared by the whole core.
#pragma once

#include <string_view>

namespace epinax {

inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Blanks off both ends.
inline std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Blanks off the end: a field as the record store reads it.
inline std::string_view TrimTrailingBlanks(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Blanks and control characters off both ends, as the platform's trimming does.
inline std::string_view TrimBlanksAndControls(std::string_view text)
{
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace epinax
