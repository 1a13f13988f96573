// The order of the list sort, against the exchange loop it must reproduce.
#include <gtest/gtest.h>

#include <random>

#include "entry/Sort.h"

using namespace epinax;

namespace {

std::vector<std::string_view> Views(const std::vector<std::string>& texts) { return {texts.begin(), texts.end()}; }

}  // namespace

TEST(ExchangeSortOrder, EqualTailsEndAsTheExchangesLeaveThem)
{
    std::vector<std::string> tails = {"B", "B", "A"};  // B1, B2, A
    EXPECT_EQ(ExchangeSortOrder(Views(tails)), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(ExchangeSortOrderByLoop(Views(tails)), (std::vector<int>{2, 1, 0}));
    EXPECT_TRUE(ExchangeSortOrder({}).empty());
}

TEST(ExchangeSortOrder, SameAsTheLoopOnRandomListsWithManyTies)
{
    std::mt19937 random(20251208);
    for (int round = 0; round < 3000; ++round) {
        int n = std::uniform_int_distribution<int>(0, 60)(random);
        int alphabet = std::uniform_int_distribution<int>(1, 12)(random);
        std::vector<std::string> tails;
        for (int i = 0; i < n; ++i) {
            int letter = std::uniform_int_distribution<int>(0, alphabet - 1)(random);
            tails.push_back(std::string(1, static_cast<char>(0xC1 + letter)) + (letter % 3 ? "" : " x"));
        }
        auto views = Views(tails);
        ASSERT_EQ(ExchangeSortOrder(views), ExchangeSortOrderByLoop(views)) << "round " << round;
    }
}

TEST(ExchangeSortOrder, ByteOrderOfWindows1253)
{
    // Ά (0xA2) < Α (0xC1); Latin capitals < Greek capitals < Greek small;
    // a blank-padded shorter name < a longer one; an empty name first.
    std::vector<std::string> tails = {"\xC1\xC2\xC3 ", "\xC1\xC2  ", "\xE1  ", "\xC1   ", "\xA2   ", "ZZZ ", "    "};
    std::vector<int> expected = {6, 5, 4, 3, 1, 0, 2};
    EXPECT_EQ(ExchangeSortOrder(Views(tails)), expected);
}
