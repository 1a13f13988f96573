#include "entry/TaxNumber.h"

#include <algorithm>

namespace epinax {

namespace {

constexpr char kGreekCapitalEpsilon = static_cast<char>(197);

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool CheckAfm(std::string_view afm)
{
    if (afm.size() != 9 || !std::all_of(afm.begin(), afm.end(), IsDigit)) return false;
    if (afm == "000000000") return false;  // its weighted sum passes the check
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += (afm[i] - '0') << (8 - i);
    int check = sum % 11 % 10;
    return check == afm[8] - '0';
}

std::optional<char> DigitKeyFilter(char key)
{
    if (IsDigit(key) || key == kBackspace || key == kTab) return key;
    return std::nullopt;
}

std::optional<char> ZeroOneKeyFilter(char key)
{
    if (key == '0' || key == '1' || key == kBackspace || key == kTab) return key;
    return std::nullopt;
}

std::optional<char> AmountKeyFilter(char key, std::string_view currentText)
{
    if (IsDigit(key) || key == kBackspace) return key;
    if (key == ',' && currentText.find(',') == std::string_view::npos) return key;
    return std::nullopt;
}

std::optional<char> InstallationKeyFilter(char key, std::string_view currentText)
{
    if (IsDigit(key) || key == kBackspace) return key;
    if (key != 'E' && key != kGreekCapitalEpsilon) return std::nullopt;
    bool holdsE = currentText.find_first_of(std::string_view("E\xC5", 2)) != std::string_view::npos;
    if (holdsE) return std::nullopt;
    return 'E';
}

// The filter decides before the length: a refused key is named even when the
// edit is full, as the edit itself would beep at it.
TTypedValue TypeValue(std::string_view keys, size_t maxLength, const TKeyFilter& filter)
{
    TTypedValue typed;
    for (char key : keys) {
        std::optional<char> accepted = filter(key, typed.text);
        if (!accepted) {
            typed.refusedKey = key;
            break;
        }
        if (typed.text.size() >= maxLength) {
            typed.tooLong = true;
            break;
        }
        typed.text += *accepted;
    }
    return typed;
}

}  // namespace epinax
