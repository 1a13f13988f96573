#include <gtest/gtest.h>

#include <set>

#include "common/Cp1253.h"
#include "statement/Header.h"
#include "statement/TaxOffices.h"

namespace epinax {
inline void PrintTo(const TStatementHeader& h, std::ostream* out)
{
    *out << cp1253::ToUtf8(HeaderLine(h)) << "|" << h.Phone << "|" << h.TaxOffice;
}
}  // namespace epinax

using namespace epinax;

TEST(TaxOffices, PairedByPosition)
{
    ASSERT_EQ(TaxOfficeNames().size(), 285u);
    ASSERT_EQ(DOYCodes().size(), 285u);
    EXPECT_EQ(TaxOfficeNames()[9], "ΑΘΗΝΩΝ Α'");
    EXPECT_EQ(DOYCodes()[9], "1101");
    EXPECT_EQ(TaxOfficeNames()[0], "ΑΓ. ΑΘΑΝΑΣΙΟΥ");
    EXPECT_EQ(TaxOfficeNames()[284], "ΨΥΧΙΚΟΥ");
    EXPECT_EQ(DOYCodes()[284], "1175");
    EXPECT_EQ(IndexOfDOYCode("4234"), 190);
    EXPECT_EQ(IndexOfDOYCode("9999"), -1);
    EXPECT_EQ(std::set<std::string>(DOYCodes().begin(), DOYCodes().end()).size(), 285u);
    for (const auto& code : DOYCodes()) EXPECT_EQ(code.size(), 4u);
}

TEST(HeaderLine, FieldsAtTheirPlaces)
{
    TStatementHeader h;
    h.Year = "2024";
    h.TaxOffice = 9;
    h.FolderNumber = "12";
    h.CompanyName = "ACME";
    h.TaxNumber = "123456783";
    h.Phone = "2101234";
    h.Email = "a@b.example";
    h.Installation = "E";
    std::string line = HeaderLine(h);
    ASSERT_EQ(line.size(), 150u);
    EXPECT_EQ(line.substr(0, 15),
              "120241101"
              "12    ");
    EXPECT_EQ(line.substr(33, 9), "123456783");
    EXPECT_EQ(line.substr(92, 10), "2101234   ");
    EXPECT_EQ(line.substr(146), "   E");

    TStatementHeader back;
    FillHeaderFromLine(back, line);
    EXPECT_EQ(back.Phone, "2101234   ");  // telephone and fax keep their blanks
    EXPECT_EQ(back.Fax, std::string(10, ' '));
    back.Phone = h.Phone;
    back.Fax = h.Fax;
    EXPECT_EQ(back, h);

    h.Installation = "12";
    EXPECT_EQ(HeaderLine(h).substr(146), "  12");
}

TEST(HeaderLine, ShortLinesAndUnknownCodes)
{
    TStatementHeader h;
    h.TaxOffice = 3;
    FillHeaderFromLine(h, "12024999912");
    EXPECT_EQ(h.Year, "2024");
    EXPECT_EQ(h.TaxOffice, -1);
    EXPECT_EQ(h.FolderNumber, "12");
    EXPECT_EQ(h.TaxNumber, "");
    FillHeaderFromLine(h, "");
    EXPECT_EQ(h, TStatementHeader{});
}

TEST(HeaderYear, FromNineteenHundredToThisYear)
{
    EXPECT_FALSE(YearAccepted("1899", 2025));
    EXPECT_TRUE(YearAccepted("1900", 2025));
    EXPECT_TRUE(YearAccepted("2025", 2025));
    EXPECT_FALSE(YearAccepted("2026", 2025));
    EXPECT_FALSE(YearAccepted("", 2025));
}
