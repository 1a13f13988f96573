// The Greek tax registration number check and the keystroke filters of the
// edit controls. Characters are Windows-1253 bytes; a filter returns the
// character to let through (possibly changed) or nothing to refuse it, in
// which case the caller beeps.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace epinax {

constexpr char kBackspace = 8;
constexpr char kTab = 9;

// Nine decimal digits, not all zero, the ninth being the check digit of the
// first eight.
bool CheckAfm(std::string_view afm);

// Digits, backspace and tab.
std::optional<char> DigitKeyFilter(char key);
// "0", "1", backspace and tab.
std::optional<char> ZeroOneKeyFilter(char key);
// Digits, backspace, and one comma in the whole text. Tab is refused.
std::optional<char> AmountKeyFilter(char key, std::string_view currentText);
// The installation type: digits and backspace, or one "E" (Latin, or the Greek
// capital Epsilon, which becomes the Latin one).
std::optional<char> InstallationKeyFilter(char key, std::string_view currentText);

// A key filter with the text the edit holds before the key.
using TKeyFilter = std::function<std::optional<char>(char key, std::string_view textSoFar)>;

// A whole value typed into an edit of at most `maxLength` characters, each
// key through the edit's filter, which may change it (a Greek Epsilon
// becomes the Latin E). Typing stops at the first key the filter refuses or
// that finds the edit full.
struct TTypedValue {
    std::string text;                // what the edit holds
    std::optional<char> refusedKey;  // the key the filter refused
    bool tooLong = false;            // a key found the edit full

    bool Accepted() const { return !refusedKey && !tooLong; }
};
TTypedValue TypeValue(std::string_view keys, size_t maxLength, const TKeyFilter& filter);

}  // namespace epinax
