// The Greek tax registration number check and the keystroke filters of the
// edit controls. Characters are Windows-1253 bytes; a filter returns the
// character to let through (possibly changed) or nothing to refuse it, in
// which case the caller beeps.
#pragma once

#include <optional>
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

}  // namespace epinax
