#include <gtest/gtest.h>

#include "entry/TaxNumber.h"

using namespace epinax;

TEST(CheckAfm, AcceptsOnlyNineDigitsWithTheirCheckDigit)
{
    EXPECT_TRUE(CheckAfm("123456783"));  // weighted sum 1004, remainder 3
    EXPECT_FALSE(CheckAfm("123456789"));
    EXPECT_FALSE(CheckAfm("123456780"));
    EXPECT_FALSE(CheckAfm("12345678"));
    EXPECT_FALSE(CheckAfm("1234567830"));
    EXPECT_FALSE(CheckAfm(""));
}

TEST(CheckAfm, RemainderTenGivesCheckDigitZero)
{
    EXPECT_TRUE(CheckAfm("000000050"));
    EXPECT_FALSE(CheckAfm("000000051"));
}

TEST(CheckAfm, RefusesAllZeroAndNonDigits)
{
    EXPECT_FALSE(CheckAfm("000000000"));
    EXPECT_FALSE(CheckAfm("-12345678"));
    EXPECT_FALSE(CheckAfm("+12345678"));
    EXPECT_FALSE(CheckAfm(" 12345678"));
    EXPECT_FALSE(CheckAfm("12345678 "));
    EXPECT_FALSE(
        CheckAfm("\xB3"
                 "23456783"));  // a superscript digit is no digit
}

TEST(KeyFilters, DigitAndZeroOne)
{
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(DigitKeyFilter(c), c);
    for (char c : {kBackspace, kTab}) {
        EXPECT_EQ(DigitKeyFilter(c), c);
        EXPECT_EQ(ZeroOneKeyFilter(c), c);
    }
    for (char c : {'a', 'E', ',', '.', '-', ' ', '\r', static_cast<char>(0xC1)}) EXPECT_FALSE(DigitKeyFilter(c));
    EXPECT_EQ(ZeroOneKeyFilter('0'), '0');
    EXPECT_EQ(ZeroOneKeyFilter('1'), '1');
    EXPECT_FALSE(ZeroOneKeyFilter('2'));
    EXPECT_FALSE(ZeroOneKeyFilter('\r'));
}

TEST(KeyFilters, AmountAllowsOneCommaAndNoTab)
{
    EXPECT_EQ(AmountKeyFilter('5', "1,5"), '5');
    EXPECT_EQ(AmountKeyFilter(',', "15"), ',');
    EXPECT_FALSE(AmountKeyFilter(',', "1,5"));
    EXPECT_EQ(AmountKeyFilter(kBackspace, "1,5"), kBackspace);
    EXPECT_FALSE(AmountKeyFilter(kTab, ""));
    EXPECT_FALSE(AmountKeyFilter('.', ""));
    EXPECT_FALSE(AmountKeyFilter('-', ""));

    // Typing 1 , 5 , 3 leaves 1,53.
    std::string text;
    for (char c : std::string("1,5,3"))
        if (auto accepted = AmountKeyFilter(c, text)) text += *accepted;
    EXPECT_EQ(text, "1,53");
}

TEST(KeyFilters, InstallationTakesDigitsAndOneLatinE)
{
    const char greekEpsilon = static_cast<char>(197);
    EXPECT_EQ(InstallationKeyFilter(greekEpsilon, ""), 'E');
    EXPECT_EQ(InstallationKeyFilter('E', "12"), 'E');
    EXPECT_FALSE(InstallationKeyFilter('E', "E"));
    EXPECT_FALSE(InstallationKeyFilter(greekEpsilon, "E"));
    EXPECT_FALSE(InstallationKeyFilter('E', std::string(1, greekEpsilon)));
    EXPECT_FALSE(InstallationKeyFilter('e', ""));
    EXPECT_FALSE(InstallationKeyFilter(static_cast<char>(229), ""));  // small epsilon
    EXPECT_FALSE(InstallationKeyFilter(kTab, ""));
    EXPECT_EQ(InstallationKeyFilter('7', "E"), '7');
    EXPECT_EQ(InstallationKeyFilter(kBackspace, "E"), kBackspace);
}
