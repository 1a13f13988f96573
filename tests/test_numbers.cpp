#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace epinax {
// Failure messages show the number rather than a byte dump.
void PrintTo(const Decimal& value, std::ostream* out) { *out << value.ToGeneral(); }
}  // namespace epinax

using epinax::Decimal;
using epinax::ParseInteger;

namespace {

Decimal D(std::string_view text)
{
    auto value = Decimal::Parse(text);
    if (!value) {
        ADD_FAILURE() << "not a number: \"" << text << '"';
        return Decimal();
    }
    return *value;
}

struct TextCase {
    const char* input;
    const char* expected;
};

std::string Repeated(char c, std::size_t count) { return std::string(count, c); }

}  // namespace

TEST(DecimalParse, ReadsTheProgramsNumberForms)
{
    const TextCase cases[] = {
        {"0", "0"},
        {"-0", "0"},
        {"+0", "0"},
        {"0012", "12"},
        {"12,50", "12,5"},
        {",5", "0,5"},
        {"5,", "5"},
        {"-,5", "-0,5"},
        {"  12,5  ", "12,5"},
        {" -7 ", "-7"},
        {"+7", "7"},
        {"000,000", "0"},
        {"1E3", "1000"},
        {"1e3", "1000"},
        {"1,5E+2", "150"},
        {"15E-1", "1,5"},
        {"-2,5e-7", "-2,5E-7"},
        {"0E999999999999", "0"},
        {"1234,5", "1234,5"},
        {"0,000001", "1E-6"},
        {"1E-999999999", "0"},
    };
    for (const auto& c : cases) {
        auto parsed = Decimal::Parse(c.input);
        ASSERT_TRUE(parsed.has_value()) << c.input;
        EXPECT_EQ(parsed->ToGeneral(), c.expected) << c.input;
    }
}

TEST(DecimalParse, RefusesEverythingElse)
{
    const char* refused[] = {
        "",     "   ",  ",",     "-",     "+",      "1.5", "1.000,5", "1 000", "1,2,3", "12a", "a12",
        "E5",   ",E5",  "1E",    "1E+",   "1,5E-",  "--1", "+-1",     "- 1",   "0x1F",  "$1F", "1e5,5",
        "\t12", "12\t", "1E5E5", "12 ,5", "1,5 E3", "∞",   "NaN",     "1E 5",  "1'000",
    };
    for (const char* text : refused) EXPECT_EQ(Decimal::Parse(text), std::nullopt) << '"' << text << '"';
}

TEST(DecimalParse, RefusesMagnitudesOf10To36AndMore)
{
    EXPECT_EQ(Decimal::Parse("1" + Repeated('0', 36)), std::nullopt);
    EXPECT_EQ(Decimal::Parse("1E36"), std::nullopt);
    EXPECT_EQ(Decimal::Parse("-1E36"), std::nullopt);
    EXPECT_EQ(Decimal::Parse("0,1E37"), std::nullopt);
    EXPECT_EQ(Decimal::Parse("1E999999999999999999"), std::nullopt);
    // Rounding to the digits kept carries into a 37th integer digit.
    EXPECT_EQ(Decimal::Parse(Repeated('9', 36) + ",999"), std::nullopt);

    EXPECT_EQ(D("1E35").ToGeneral(), "1E35");
    EXPECT_EQ(D("1" + Repeated('0', 35)), D("1E35"));
    EXPECT_EQ(D("-9,99E35").ToGeneral(), "-9,99E35");
    EXPECT_TRUE(Decimal::Parse(Repeated('9', 36)).has_value());
    EXPECT_TRUE(Decimal::Parse(Repeated('9', 36) + ",99").has_value());
}

TEST(DecimalParse, RoundsBeyondTheFortiethDecimal)
{
    EXPECT_EQ(D("1E-40").ToGeneral(), "1E-40");
    EXPECT_EQ(D("5E-41"), D("1E-40"));
    EXPECT_EQ(D("-5E-41"), D("-1E-40"));
    EXPECT_TRUE(D("4,9E-41").IsZero());
    EXPECT_EQ(D("0," + Repeated('0', 39) + "15"), D("2E-40"));
    EXPECT_EQ(D("0," + Repeated('0', 39) + "14"), D("1E-40"));
}

TEST(DecimalParse, KeepsThirtyEightSignificantDigits)
{
    EXPECT_EQ(D("1234567890123456789012345678901234,56789"), D("1234567890123456789012345678901234,5679"));
    EXPECT_EQ(D("0,12345678901234567890123456789012345678"), D("0,12345678901234567890123456789012345678"));
}

TEST(Decimal, EqualityIsByValue)
{
    EXPECT_EQ(D("12,50"), D("12,5"));
    EXPECT_EQ(D("0012"), D("12"));
    EXPECT_EQ(D("1E2"), D("100"));
    EXPECT_EQ(D("-0"), D("0"));
    EXPECT_EQ(D("-0"), Decimal());
    EXPECT_EQ(Decimal::FromInteger(12), D("12"));
    EXPECT_EQ(Decimal::FromInteger(-1200), D("-1,2E3"));
    EXPECT_FALSE(D("0,1") == D("0,10001"));
    EXPECT_FALSE(D("1") == D("-1"));
    EXPECT_FALSE(D("-0").IsNegative());
    EXPECT_TRUE(D("-0,1").IsNegative());
}

TEST(Decimal, OrdersByValue)
{
    const char* ascending[] = {"-1E35", "-2",  "-1,5",    "-1", "-0,001", "0",  "1E-40",
                               "0,001", "0,1", "0,10001", "1",  "1,5",    "10", "99999999999999999999999999999999999,9",
                               "1E35"};
    for (std::size_t i = 0; i + 1 < std::size(ascending); ++i) {
        EXPECT_TRUE(D(ascending[i]) < D(ascending[i + 1])) << ascending[i] << " < " << ascending[i + 1];
        EXPECT_FALSE(D(ascending[i + 1]) < D(ascending[i])) << ascending[i + 1];
        EXPECT_FALSE(D(ascending[i]) < D(ascending[i])) << ascending[i];
    }
}

TEST(Decimal, AddsExactly)
{
    EXPECT_EQ(D("0,1") + D("0,2"), D("0,3"));
    EXPECT_EQ((D("0,1") + D("0,2")).ToFixed2(), "0,30");
    EXPECT_TRUE((D("1") + D("-1")).IsZero());
    EXPECT_EQ((D("1,25") + D("-1,25")).ToGeneral(), "0");
    EXPECT_EQ(D("-0,5") + D("0,25"), D("-0,25"));
    EXPECT_EQ(D("1E35") + D("1E35"), D("2E35"));
    EXPECT_EQ(D("1E35") + D("0,1"), D("100000000000000000000000000000000000,1"));
    EXPECT_EQ(D("12") + Decimal(), D("12"));

    Decimal total;
    total += D("7,5");
    total += D("-2,25");
    EXPECT_EQ(total, D("5,25"));
}

TEST(Decimal, ManySmallAmountsSumExactly)
{
    Decimal total;
    Decimal cent = D("0,01");
    for (int i = 0; i < 99999; ++i) total += cent;
    EXPECT_EQ(total, D("999,99"));
    EXPECT_EQ(total.ToFixed2(), "999,99");
    EXPECT_EQ(total.ToGeneral(), "999,99");
}

TEST(Decimal, AdditionThatCannotBeHeldThrows)
{
    // Aligning the scales would need 41 digits.
    EXPECT_THROW(D("1E35") + D("1E-5"), std::overflow_error);
    Decimal nearLimit = D(Repeated('9', 34) + ",9999");
    EXPECT_THROW(nearLimit + nearLimit, std::overflow_error);
    Decimal huge = Decimal::FromInteger(1).TimesPowerOfTen(100);
    EXPECT_THROW(huge + Decimal::FromInteger(1), std::overflow_error);
    EXPECT_EQ(huge + Decimal(), huge);
}

TEST(Decimal, ShiftsByPowersOfTen)
{
    EXPECT_EQ(D("12,345").TimesPowerOfTen(2), D("1234,5"));
    EXPECT_EQ(D("1234").TimesPowerOfTen(-2), D("12,34"));
    EXPECT_EQ(D("-5").TimesPowerOfTen(-7).ToGeneral(), "-5E-7");
    EXPECT_EQ(Decimal::FromInteger(1).TimesPowerOfTen(40).ToGeneral(), "1E40");
    EXPECT_TRUE(Decimal().TimesPowerOfTen(5).IsZero());
    EXPECT_EQ(D("0,07").TimesPowerOfTen(2).ToInt64(), 7);
}

TEST(Decimal, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(D("1,005").RoundedTo(2), D("1,01"));
    EXPECT_EQ(D("2,675").RoundedTo(2), D("2,68"));
    EXPECT_EQ(D("-1,005").RoundedTo(2), D("-1,01"));
    EXPECT_EQ(D("1,004").RoundedTo(2), D("1"));
    EXPECT_EQ(D("12,5").RoundedTo(0), D("13"));
    EXPECT_EQ(D("-12,5").RoundedTo(0), D("-13"));
    EXPECT_EQ(D("12,49").RoundedTo(0), D("12"));
    EXPECT_EQ(D("1250").RoundedTo(-2), D("1300"));
    EXPECT_EQ(D("1249").RoundedTo(-2), D("1200"));
    EXPECT_EQ(D("1,005").RoundedTo(5), D("1,005"));
    EXPECT_TRUE(D("1E-40").RoundedTo(2).IsZero());
    EXPECT_TRUE(D("-0,004").RoundedTo(2).IsZero());
    EXPECT_FALSE(D("-0,004").RoundedTo(2).IsNegative());
}

TEST(Decimal, ConvertsWholeValuesToInt64)
{
    EXPECT_EQ(D("12").ToInt64(), 12);
    EXPECT_EQ(D("12,0").ToInt64(), 12);
    EXPECT_EQ(D("-0").ToInt64(), 0);
    EXPECT_EQ(D("1E18").ToInt64(), 1'000'000'000'000'000'000);
    EXPECT_EQ(D("-9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(D("9223372036854775807").ToInt64(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(D("9223372036854775808").ToInt64(), std::nullopt);
    EXPECT_EQ(D("1E19").ToInt64(), std::nullopt);
    EXPECT_EQ(D("12,5").ToInt64(), std::nullopt);
    EXPECT_EQ(Decimal::FromInteger(std::numeric_limits<std::int64_t>::min()).ToInt64(),
              std::numeric_limits<std::int64_t>::min());
}

TEST(DecimalFormat, General)
{
    const TextCase cases[] = {
        {"0", "0"},
        {"-0,0", "0"},
        {"0,1", "0,1"},
        {"-1234,5", "-1234,5"},
        {"100", "100"},
        {"1234567,891", "1234567,891"},
        {"123456789012345", "123456789012345"},
        {"999999999999999", "999999999999999"},
        {"999999999999999,4", "999999999999999"},
        {"999999999999999,5", "1E15"},
        {"1000000000000000", "1E15"},
        {"150000000000000000000", "1,5E20"},
        {"1234567890123456", "1,23456789012346E15"},
        {"-1234567890123456", "-1,23456789012346E15"},
        {"1,23456789012345678", "1,23456789012346"},
        {"0,00001", "0,00001"},
        {"0,000012345", "0,000012345"},
        {"0,0000099999", "9,9999E-6"},
        {"0,00000999999999999999999", "0,00001"},
        {"0,000001", "1E-6"},
        {"-0,00000025", "-2,5E-7"},
        {"1E35", "1E35"},
        {"1E-40", "1E-40"},
    };
    for (const auto& c : cases) EXPECT_EQ(D(c.input).ToGeneral(), c.expected) << c.input;
}

TEST(DecimalFormat, HashHash)
{
    const TextCase cases[] = {
        {"1234,5", "1234,5"}, {"1234,567", "1234,57"},
        {"0", "0"},           {"12", "12"},
        {"1,005", "1,01"},    {"2,675", "2,68"},
        {"12,345", "12,35"},  {"0012", "12"},
        {"12,50", "12,5"},    {"-1,005", "-1,01"},
        {"-0,001", "0"},      {"-0,005", "-0,01"},
        {"0,999", "1"},       {"1E20", "100000000000000000000"},
        {"1200", "1200"},
    };
    for (const auto& c : cases) EXPECT_EQ(D(c.input).ToHashHash(), c.expected) << c.input;
}

TEST(DecimalFormat, Fixed2)
{
    const TextCase cases[] = {
        {"1234,5", "1234,50"}, {"0", "0,00"},       {"0,005", "0,01"},
        {"-0,005", "-0,01"},   {"-0,004", "0,00"},  {"12", "12,00"},
        {"1,999", "2,00"},     {"-12,3", "-12,30"}, {"1E20", "100000000000000000000,00"},
        {"0,1", "0,10"},
    };
    for (const auto& c : cases) EXPECT_EQ(D(c.input).ToFixed2(), c.expected) << c.input;
}

TEST(ParseInteger, AcceptsPlainDecimalIntegers)
{
    EXPECT_EQ(ParseInteger("12"), 12);
    EXPECT_EQ(ParseInteger(" 12"), 12);
    EXPECT_EQ(ParseInteger("+5"), 5);
    EXPECT_EQ(ParseInteger("-5"), -5);
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("-0"), 0);
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseInteger("0000000000000000000012"), 12);
}

TEST(ParseInteger, RefusesEverythingElse)
{
    const char* refused[] = {
        "",    " ",   "12 ", "$1F",  "0x1F", "1,5",        "1E3",         "+",
        "-",   "- 5", "1 2", "\t12", "++1",  "2147483648", "-2147483649", "99999999999999999999",
        "1.0", "a",
    };
    for (const char* text : refused) EXPECT_EQ(ParseInteger(text), std::nullopt) << '"' << text << '"';
}

TEST(Numbers, IgnoreTheProcessLocale)
{
    int localesTried = 0;
    for (const char* name : {"C.UTF-8", "de_DE.UTF-8", "de_DE", "el_GR.UTF-8", "el_GR"}) {
        if (!std::setlocale(LC_ALL, name)) continue;
        ++localesTried;
        EXPECT_EQ(D("1234,5").ToGeneral(), "1234,5") << name;
        EXPECT_EQ(D("1234,5").ToFixed2(), "1234,50") << name;
        EXPECT_EQ(D("1,005").ToHashHash(), "1,01") << name;
        EXPECT_EQ(D("1,5E20").ToGeneral(), "1,5E20") << name;
        EXPECT_EQ(Decimal::Parse("1.5"), std::nullopt) << name;
        EXPECT_EQ(ParseInteger("-42"), -42) << name;
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_GT(localesTried, 0);
}
