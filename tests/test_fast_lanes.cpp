// The fast lanes for the number forms the program writes, each run against
// the general path beside it on random and edge inputs: wherever a fast lane
// answers, the general path must give the same.
#include <random>

#include "TestSupport.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "statement/StatementFile.h"

using namespace epinax;
using namespace epinax::test;

namespace {

// Texts made mostly of what amounts are made of, with the odd stranger.
std::string RandomAmountText(std::mt19937& random, size_t maxLength)
{
    static const char alphabet[] = "0123456789000,, -+Ee.x";
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
    return text;
}

std::string Padded(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

const char* const kEdgeAmounts[] = {"0",
                                    "0,0",
                                    "0,00",
                                    "00000000000000,99",
                                    "99999999999999",
                                    "1,5",
                                    "1,50",
                                    ",5",
                                    "5,",
                                    "1,555",
                                    "",
                                    " 1",
                                    "1 ",
                                    "-1",
                                    "1E2",
                                    "0,001",
                                    "12,34",
                                    "1.5",
                                    "999999999999999",
                                    "100000000000000"};

}  // namespace

TEST(FastLanes, PlainAmountCentsAgreesWithTheGeneralParse)
{
    std::mt19937 random(1253);
    auto agree = [](const std::string& text) {
        auto fast = PlainAmountCents(text);
        if (!fast) return;
        auto general = Decimal::Parse(text);
        ASSERT_TRUE(general) << text;
        EXPECT_EQ(Decimal::FromCents(*fast), *general) << text;
    };
    for (const char* text : kEdgeAmounts) agree(text);
    for (int i = 0; i < 200'000; ++i) agree(RandomAmountText(random, 19));
    EXPECT_EQ(PlainAmountCents("1234,5"), 123450);  // the lane is taken at all
}

TEST(FastLanes, PaddedFieldsAgreeWithTheTrimmedGeneralParse)
{
    std::mt19937 random(30);
    auto agree = [](const std::string& text) {
        const std::string amount = Padded(text, 16), count = Padded(text, 7);
        if (auto fast = PaddedAmountCents(amount)) {
            auto general = Decimal::Parse(TrimTrailingBlanks(amount));
            ASSERT_TRUE(general) << amount;
            EXPECT_EQ(Decimal::FromCents(*fast), *general) << amount;
        }
        if (auto fast = PaddedDigits(count)) {
            auto general = ParseInteger(TrimTrailingBlanks(count));
            ASSERT_TRUE(general) << count;
            EXPECT_EQ(*fast, *general) << count;
        }
        if (auto fast = PlainDigits(text)) {
            auto general = Decimal::Parse(text);
            ASSERT_TRUE(general) << text;
            EXPECT_EQ(Decimal::FromInteger(*fast), *general) << text;
        }
    };
    for (const char* text : kEdgeAmounts) agree(text);
    for (int i = 0; i < 200'000; ++i) agree(RandomAmountText(random, 16));
    EXPECT_EQ(PaddedAmountCents(Padded("12,5", 16)), 1250);
    EXPECT_EQ(PaddedDigits(Padded("0012", 7)), 12);
}

TEST(FastLanes, CentsAsGeneralAgreesWithTheDecimalForm)
{
    std::mt19937_64 random(99);
    auto agree = [](std::int64_t cents) {
        std::string fast;
        AppendCentsAsGeneral(fast, cents);
        EXPECT_EQ(fast, Decimal::FromCents(cents).ToGeneral()) << cents;
    };
    for (std::int64_t cents : {0LL, 1LL, 5LL, 10LL, 99LL, 100LL, 101LL, 110LL, 123450LL, 999'999'999'999'999LL})
        agree(cents);
    for (int i = 0; i < 200'000; ++i) {
        const std::int64_t limit = std::int64_t{1} << (random() % 50);  // every magnitude below 10^15
        agree(static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(limit)));
    }
}

// A counterparty line made by the fast lane is the general path's, byte for byte.
TEST(FastLanes, CounterpartyLinesAgreeWithTheGeneralPath)
{
    std::mt19937 random(7);
    int fastTaken = 0;
    auto agree = [&](const std::string& record, TSide side, int position) {
        std::string fast, general, problem;
        if (!AppendPlainCounterpartyLine(fast, side, position, record)) {
            EXPECT_TRUE(fast.empty());
            return;
        }
        ++fastTaken;
        ASSERT_TRUE(AppendGeneralCounterpartyLine(general, side, position, record, problem)) << record << problem;
        EXPECT_EQ(fast, general) << record;
    };
    for (int i = 0; i < 50'000; ++i) {
        std::string record = CustomerLine(std::to_string(100000000 + random() % 900000000), "ΟΝΟΜΑ");
        record[57] = "01"[random() % 2];
        for (size_t at : {58u, 68u, 84u, 87u}) record[at] = static_cast<char>('A' + random() % 26);
        const std::string count = RandomAmountText(random, 7), value = RandomAmountText(random, 16);
        record.replace(92, 7, Padded(random() % 2 ? std::to_string(random() % 10'000'000) : count, 7));
        record.replace(99, 16, Padded(random() % 2 ? std::to_string(random() % 100'000) + ",5" : value, 16));
        if (random() % 10 == 0) record.resize(random() % 150);  // a short record
        agree(record, random() % 2 ? TSide::Customers : TSide::Suppliers, 1 + static_cast<int>(random() % 99999));
    }
    EXPECT_GT(fastTaken, 10'000);  // the lane is exercised, not only declined
}
