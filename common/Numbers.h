// Number forms of the program, independent of the process locale: the decimal
// separator is always the Greek comma.
//
// Amounts are held exactly as decimals (a 128-bit mantissa and a power of ten),
// so that 0,1 + 0,2 is 0,3 and 1,005 rounds to 1,01 as the user expects; the
// only rounding is the one a format asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace epinax {

// The compiler's 128-bit integers, which ISO C++ does not name.
__extension__ typedef __int128 TInt128;
__extension__ typedef unsigned __int128 TUInt128;

class Decimal {
public:
    Decimal() = default;
    static Decimal FromInteger(std::int64_t value);
    // A whole number of hundredths (cents).
    static Decimal FromCents(TInt128 cents);

    // Reads a decimal number as the program's conversions do: optional blanks
    // around it, an optional sign, digits with at most one comma (digits on at
    // least one side of it) and an optional exponent (E or e, optional sign,
    // digits). No thousands separators and no point. The blanks and the
    // exponent are accepted because the platform conversion the program was
    // written against accepts them; no filter lets the user type them.
    // Values of 10^36 or more do not fit and are not numbers.
    static std::optional<Decimal> Parse(std::string_view text);

    bool IsZero() const { return mantissa_ == 0; }
    bool IsNegative() const { return mantissa_ < 0; }
    Decimal Abs() const { return mantissa_ < 0 ? Decimal(-mantissa_, scale_) : *this; }

    Decimal operator+(const Decimal& other) const;  // exact; throws std::overflow_error
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    Decimal TimesPowerOfTen(int power) const;  // exact shift (x100, /100)
    // Half away from zero, on the decimal digits.
    Decimal RoundedTo(int decimals) const;
    // Whole value, when the number has no fraction and fits in 64 bits.
    std::optional<std::int64_t> ToInt64() const;

    friend bool operator==(const Decimal& a, const Decimal& b);
    friend bool operator<(const Decimal& a, const Decimal& b);

    // The general form: at most 15 significant digits (half away from zero),
    // no trailing zeros, a comma only for a fraction. Exponent form
    // ("1,5E20", "1E-6") only for magnitudes of 10^15 and more or below 0,00001.
    std::string ToGeneral() const;
    // "0.##": at most two decimals without trailing zeros (1234,5; 12; 0).
    std::string ToHashHash() const;
    // "0.00": exactly two decimals (1234,50; 0,00).
    std::string ToFixed2() const;

private:
    Decimal(TInt128 mantissa, int scale) : mantissa_(mantissa), scale_(scale) {}
    void Normalise();

    TInt128 mantissa_ = 0;  // value = mantissa_ * 10^-scale_
    int scale_ = 0;         // may be negative for large exponents
};

// The fast lane for the amounts the program itself writes, which are almost
// all of them: "digits" or "digits,d" or "digits,dd", at most 16 digits
// before the comma, nothing else. Their cents; nothing for any other text,
// which then goes the long way through Decimal.
std::optional<std::int64_t> PlainAmountCents(std::string_view text);
// The same read from a blank-padded field of the record ("1234,5" and blanks);
// nothing when the field holds anything else.
std::optional<std::int64_t> PaddedAmountCents(std::string_view field);
// A blank-padded field of 1 to 18 digits and blanks after them, as a number.
std::optional<std::int64_t> PaddedDigits(std::string_view field);
// A text of 1 to 18 decimal digits and nothing else, as a number.
std::optional<std::int64_t> PlainDigits(std::string_view text);
// Appends cents divided by 100 in the general form ("1234,5", "12", "0,05");
// exact for fewer than 10^15 cents, where the general form rounds nothing.
void AppendCentsAsGeneral(std::string& out, std::int64_t cents);

// Reads an integer as the program's conversions do: optional leading blanks,
// an optional sign, decimal digits, nothing after them; within 32 bits. The
// leading blanks are accepted as the platform conversion accepts them; its
// hexadecimal forms ("$1F", "0x1F") are not, as no field of a statement may
// hold them.
std::optional<std::int32_t> ParseInteger(std::string_view text);

}  // namespace epinax
