#include "common/Numbers.h"

#include "common/Text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <stdexcept>

// Nothing here goes through strtod, printf or streams: those follow the
// process locale, and a German or Greek locale would change the separator
// under our feet. Every digit is read and written by hand.

namespace epinax {
namespace {

// __extension__ keeps -Wpedantic quiet about the 128-bit types.
__extension__ typedef TInt128 Int128;
__extension__ typedef TUInt128 UInt128;

// 10^38 is the largest power of ten an Int128 can hold.
constexpr int kMaxPowerHeld = 38;
// Parsed numbers keep at most this many significant digits, so that their
// mantissa always fits whatever the text looks like.
constexpr long long kMaxParsedDigits = kMaxPowerHeld;
// Tiny values are cut at the 40th decimal (half away from zero). That is far
// below any amount, and it keeps a text such as "1E-999999" from producing a
// scale nobody can use.
constexpr long long kMaxParsedDecimals = 40;
// Magnitudes of 10^36 and more are refused by Parse.
constexpr long long kMaxIntegerDigits = 36;
// Reading stops growing an exponent here: past it the value is refused as too
// large or rounds to zero anyway, and the arithmetic stays in range.
constexpr long long kExponentCap = 1'000'000;
constexpr int kGeneralSignificantDigits = 15;

constexpr std::array<UInt128, kMaxPowerHeld + 1> BuildPowersOfTen()
{
    std::array<UInt128, kMaxPowerHeld + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
}

constexpr std::array<UInt128, kMaxPowerHeld + 1> kPowersOfTen = BuildPowersOfTen();

// Through the unsigned type, so that the most negative mantissa has a magnitude too.
UInt128 Magnitude(Int128 value) { return value < 0 ? UInt128(0) - UInt128(value) : UInt128(value); }

// Callers pass magnitudes below 2^127 only.
Int128 WithSign(UInt128 magnitude, bool negative)
{
    auto value = static_cast<Int128>(magnitude);
    return negative ? -value : value;
}

std::string DigitsOf(UInt128 value)
{
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

long long DigitCount(UInt128 value)
{
    long long count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

int ThreeWay(UInt128 a, UInt128 b)
{
    if (a == b) return 0;
    return a < b ? -1 : 1;
}

// mantissa * 10^digits, or nothing when an Int128 cannot hold it.
std::optional<Int128> ShiftedLeft(Int128 mantissa, long long digits)
{
    if (mantissa == 0 || digits == 0) return mantissa;
    if (digits > kMaxPowerHeld) return std::nullopt;
    Int128 shifted = 0;
    if (__builtin_mul_overflow(mantissa, static_cast<Int128>(kPowersOfTen[digits]), &shifted)) return std::nullopt;
    return shifted;
}

// Orders |a| * 10^-aScale against |b| * 10^-bScale; both mantissas carry no
// trailing zeros.
int CompareMagnitudes(Int128 a, int aScale, Int128 b, int bScale)
{
    UInt128 left = Magnitude(a);
    UInt128 right = Magnitude(b);
    if (left == 0 || right == 0) return ThreeWay(left, right);
    long long leftPlace = DigitCount(left) - aScale;
    long long rightPlace = DigitCount(right) - bScale;
    if (leftPlace != rightPlace) return leftPlace < rightPlace ? -1 : 1;
    // Same leading place, so the scales differ by at most the digits held.
    // An overflow of the widened side means it is the larger one.
    UInt128& widened = aScale < bScale ? left : right;
    UInt128 factor = kPowersOfTen[static_cast<std::size_t>(std::abs(aScale - bScale))];
    if (__builtin_mul_overflow(widened, factor, &widened)) return aScale < bScale ? 1 : -1;
    return ThreeWay(left, right);
}

// ---- reading ----

// A number as written: value = digits * 10^power, with no leading or
// trailing zeros in `digits` (empty for zero).
struct WrittenNumber {
    bool negative = false;
    std::string digits;
    long long power = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void ReadSign(std::string_view text, std::size_t& pos, bool& negative)
{
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
}

// Digits with at most one comma; false when there is not a single digit.
bool ReadSignificand(std::string_view text, std::size_t& pos, WrittenNumber& number)
{
    bool anyDigit = false;
    bool afterComma = false;
    long long fractionDigits = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == ',' && !afterComma) {
            afterComma = true;
            continue;
        }
        if (!IsDigit(c)) break;
        anyDigit = true;
        if (afterComma) ++fractionDigits;
        if (c != '0' || !number.digits.empty()) number.digits += c;
    }
    number.power -= fractionDigits;
    return anyDigit;
}

// An optional "E[sign]digits"; false when the E is not followed by digits.
bool ReadExponent(std::string_view text, std::size_t& pos, WrittenNumber& number)
{
    if (pos == text.size() || (text[pos] != 'E' && text[pos] != 'e')) return true;
    ++pos;
    bool negative = false;
    ReadSign(text, pos, negative);
    if (pos == text.size() || !IsDigit(text[pos])) return false;
    long long exponent = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        exponent = std::min(exponent * 10 + (text[pos] - '0'), kExponentCap);
    number.power += negative ? -exponent : exponent;
    return true;
}

void StripTrailingZeros(WrittenNumber& number)
{
    while (!number.digits.empty() && number.digits.back() == '0') {
        number.digits.pop_back();
        ++number.power;
    }
}

std::optional<WrittenNumber> ReadNumber(std::string_view text)
{
    text = TrimBlanks(text);
    WrittenNumber number;
    std::size_t pos = 0;
    ReadSign(text, pos, number.negative);
    if (!ReadSignificand(text, pos, number) || !ReadExponent(text, pos, number) || pos != text.size())
        return std::nullopt;
    StripTrailingZeros(number);
    return number;
}

struct HeldForm {
    Int128 mantissa = 0;
    int scale = 0;
};

// The leading `count` digits, rounded half away from zero on the next one.
UInt128 RoundedLeadingDigits(const std::string& digits, long long count)
{
    UInt128 value = 0;
    for (long long i = 0; i < count; ++i) value = value * 10 + static_cast<unsigned>(digits[i] - '0');
    if (count < static_cast<long long>(digits.size()) && digits[count] >= '5') ++value;
    return value;
}

// What Parse keeps of a written number (see the limits above); nothing when
// it is 10^36 or more.
std::optional<HeldForm> HoldWrittenNumber(const WrittenNumber& number)
{
    auto written = static_cast<long long>(number.digits.size());
    if (written == 0) return HeldForm{};
    long long integerDigits = written + number.power;
    if (integerDigits > kMaxIntegerDigits) return std::nullopt;
    long long kept = std::min({written, kMaxParsedDigits, integerDigits + kMaxParsedDecimals});
    if (kept < 0) return HeldForm{};
    UInt128 magnitude = RoundedLeadingDigits(number.digits, kept);
    // A carry out of the kept digits can reach a 37th integer digit.
    if (magnitude != 0 && DigitCount(magnitude) - kept + integerDigits > kMaxIntegerDigits) return std::nullopt;
    auto scale = static_cast<int>(kept - integerDigits);
    return HeldForm{WithSign(magnitude, number.negative), scale};
}

// ---- writing ----

// `digits` * 10^-scale in fixed notation, with at least `minDecimals` decimals.
std::string FixedForm(std::string digits, long long scale, long long minDecimals)
{
    std::string whole;
    std::string fraction;
    if (scale <= 0) {
        whole = digits + std::string(static_cast<std::size_t>(-scale), '0');
    } else {
        auto size = static_cast<long long>(digits.size());
        if (size <= scale) digits.insert(0, static_cast<std::size_t>(scale - size + 1), '0');
        auto split = digits.size() - static_cast<std::size_t>(scale);
        whole = digits.substr(0, split);
        fraction = digits.substr(split);
    }
    if (static_cast<long long>(fraction.size()) < minDecimals)
        fraction.append(static_cast<std::size_t>(minDecimals) - fraction.size(), '0');
    return fraction.empty() ? whole : whole + ',' + fraction;
}

std::string SignedFixedForm(Int128 mantissa, int scale, long long minDecimals)
{
    std::string body = FixedForm(DigitsOf(Magnitude(mantissa)), scale, minDecimals);
    return mantissa < 0 ? '-' + body : body;
}

// "d,dddE[-]x" from the significant digits and the place of the first one.
std::string ExponentForm(const std::string& digits, long long exponent)
{
    std::string out(1, digits[0]);
    if (digits.size() > 1) out += ',' + digits.substr(1);
    out += 'E';
    if (exponent < 0) out += '-';
    out += DigitsOf(static_cast<UInt128>(exponent < 0 ? -exponent : exponent));
    return out;
}

// Rounds the significant digits half away from zero; a carry out of the
// first digit moves the exponent. Trailing zeros are dropped.
void RoundToSignificantDigits(std::string& digits, long long& exponent, std::size_t count)
{
    if (digits.size() > count) {
        bool roundUp = digits[count] >= '5';
        digits.resize(count);
        std::size_t i = digits.size();
        while (roundUp && i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (roundUp && i == 0) {
            digits.insert(digits.begin(), '1');
            ++exponent;
        } else if (roundUp) {
            ++digits[i - 1];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

}  // namespace

Decimal Decimal::FromCents(TInt128 cents)
{
    Decimal result(cents, 2);
    result.Normalise();
    return result;
}

Decimal Decimal::FromInteger(std::int64_t value)
{
    Decimal result(value, 0);
    result.Normalise();
    return result;
}

std::optional<Decimal> Decimal::Parse(std::string_view text)
{
    auto number = ReadNumber(text);
    if (!number) return std::nullopt;
    auto held = HoldWrittenNumber(*number);
    if (!held) return std::nullopt;
    Decimal result(held->mantissa, held->scale);
    result.Normalise();
    return result;
}

// One form per value (no trailing zeros, zero at scale 0), so that equality
// is plain member equality: 12,50 == 12,5.
void Decimal::Normalise()
{
    if (mantissa_ == 0) {
        scale_ = 0;
        return;
    }
    while (mantissa_ % 10 == 0) {
        mantissa_ /= 10;
        --scale_;
    }
}

Decimal Decimal::operator+(const Decimal& other) const
{
    if (other.IsZero()) return *this;
    if (IsZero()) return other;
    int scale = std::max(scale_, other.scale_);
    auto left = ShiftedLeft(mantissa_, static_cast<long long>(scale) - scale_);
    auto right = ShiftedLeft(other.mantissa_, static_cast<long long>(scale) - other.scale_);
    Int128 sum = 0;
    if (!left || !right || __builtin_add_overflow(*left, *right, &sum))
        throw std::overflow_error("Decimal sum too large to hold exactly");
    Decimal result(sum, scale);
    result.Normalise();
    return result;
}

Decimal Decimal::TimesPowerOfTen(int power) const
{
    if (IsZero()) return *this;
    long long scale = static_cast<long long>(scale_) - power;
    if (scale < std::numeric_limits<int>::min() || scale > std::numeric_limits<int>::max())
        throw std::overflow_error("Decimal shift out of range");
    return Decimal(mantissa_, static_cast<int>(scale));
}

Decimal Decimal::RoundedTo(int decimals) const
{
    if (scale_ <= decimals) return *this;
    long long dropped = static_cast<long long>(scale_) - decimals;
    // |mantissa| < 2^127 < 0,5 * 10^39: nothing is left after the cut.
    if (dropped > kMaxPowerHeld) return Decimal();
    UInt128 unit = kPowersOfTen[dropped];
    UInt128 magnitude = Magnitude(mantissa_);
    UInt128 kept = magnitude / unit;
    if (magnitude % unit >= unit / 2) ++kept;
    Decimal result(WithSign(kept, IsNegative()), decimals);
    result.Normalise();
    return result;
}

std::optional<std::int64_t> Decimal::ToInt64() const
{
    if (scale_ > 0) return std::nullopt;
    auto whole = ShiftedLeft(mantissa_, -static_cast<long long>(scale_));
    if (!whole || *whole < std::numeric_limits<std::int64_t>::min() ||
        *whole > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return static_cast<std::int64_t>(*whole);
}

bool operator==(const Decimal& a, const Decimal& b) { return a.mantissa_ == b.mantissa_ && a.scale_ == b.scale_; }

bool operator<(const Decimal& a, const Decimal& b)
{
    if (a.IsNegative() != b.IsNegative()) return a.IsNegative();
    int order = CompareMagnitudes(a.mantissa_, a.scale_, b.mantissa_, b.scale_);
    return a.IsNegative() ? order > 0 : order < 0;
}

std::string Decimal::ToGeneral() const
{
    if (IsZero()) return "0";
    std::string digits = DigitsOf(Magnitude(mantissa_));
    long long exponent = static_cast<long long>(digits.size()) - 1 - scale_;
    RoundToSignificantDigits(digits, exponent, kGeneralSignificantDigits);
    bool fixed = exponent >= -5 && exponent < kGeneralSignificantDigits;
    std::string body = fixed ? FixedForm(digits, static_cast<long long>(digits.size()) - 1 - exponent, 0)
                             : ExponentForm(digits, exponent);
    return IsNegative() ? '-' + body : body;
}

std::string Decimal::ToHashHash() const
{
    Decimal rounded = RoundedTo(2);
    return SignedFixedForm(rounded.mantissa_, rounded.scale_, 0);
}

std::string Decimal::ToFixed2() const
{
    Decimal rounded = RoundedTo(2);
    return SignedFixedForm(rounded.mantissa_, rounded.scale_, 2);
}

std::optional<std::int32_t> ParseInteger(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(' ');
    if (pos == std::string_view::npos) return std::nullopt;
    bool negative = false;
    ReadSign(text, pos, negative);
    if (pos == text.size()) return std::nullopt;
    // One past INT32_MAX, the magnitude of INT32_MIN.
    constexpr long long kLargestMagnitude = 2147483648LL;
    long long magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) return std::nullopt;
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLargestMagnitude) return std::nullopt;
    }
    long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

namespace {

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::int64_t> PlainDigits(std::string_view text)
{
    if (text.empty() || text.size() > 18 || text.back() == ' ') return std::nullopt;
    return PaddedDigits(text);
}

std::optional<std::int64_t> PlainAmountCents(std::string_view text)
{
    if (text.empty() || text.back() == ' ') return std::nullopt;
    return PaddedAmountCents(text);
}

// These two run over every row of a list at every post: one pass, no copies.
std::optional<std::int64_t> PaddedDigits(std::string_view field)
{
    size_t at = 0;
    std::int64_t value = 0;
    while (at < field.size() && at < 18 && IsDigitChar(field[at])) value = value * 10 + (field[at++] - '0');
    if (at == 0) return std::nullopt;
    for (size_t i = at; i < field.size(); ++i)
        if (field[i] != ' ') return std::nullopt;
    return value;
}

std::optional<std::int64_t> PaddedAmountCents(std::string_view field)
{
    size_t at = 0;
    std::int64_t units = 0;
    while (at < field.size() && at < 17 && IsDigitChar(field[at])) units = units * 10 + (field[at++] - '0');
    if (at == 0 || at > 16) return std::nullopt;
    std::int64_t hundredths = 0;
    if (at < field.size() && field[at] == ',') {
        ++at;
        int places = 0;
        while (at < field.size() && places < 2 && IsDigitChar(field[at])) {
            hundredths = hundredths * 10 + (field[at++] - '0');
            ++places;
        }
        if (places == 0) return std::nullopt;
        if (places == 1) hundredths *= 10;
    }
    for (; at < field.size(); ++at)
        if (field[at] != ' ') return std::nullopt;
    return units * 100 + hundredths;
}

void AppendCentsAsGeneral(std::string& out, std::int64_t cents)
{
    if (cents < 0) {
        out += '-';
        cents = -cents;
    }
    out += std::to_string(cents / 100);
    int fraction = static_cast<int>(cents % 100);
    if (fraction == 0) return;
    out += ',';
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10) out += static_cast<char>('0' + fraction % 10);
}

}  // namespace epinax
