#include "common/Cp1253.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

using namespace epinax::cp1253;

namespace {

std::string Byte(unsigned char b) { return std::string(1, static_cast<char>(b)); }

std::string AllBytes()
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    return all;
}

std::string ThrownMessage(std::string_view utf8)
{
    try {
        FromUtf8OrThrow(utf8);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

}  // namespace

TEST(Cp1253, EveryByteSurvivesARoundTrip)
{
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(FromUnicode(ToUnicode(byte)), byte) << "byte " << b;
        EXPECT_EQ(FromUtf8(ToUtf8(Byte(byte))), Byte(byte)) << "byte " << b;
    }
    EXPECT_EQ(FromUtf8(ToUtf8(AllBytes())), AllBytes());
}

TEST(Cp1253, NoTwoBytesShareACodePoint)
{
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) seen.insert(ToUnicode(static_cast<unsigned char>(b)));
    EXPECT_EQ(seen.size(), 256u);
}

TEST(Cp1253, DecodesTheCodePage)
{
    EXPECT_EQ(ToUnicode('A'), U'A');
    EXPECT_EQ(ToUnicode(0x00), U'\0');
    EXPECT_EQ(ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(ToUnicode(0xA1), U'\u0385');
    EXPECT_EQ(ToUnicode(0xA2), U'\u0386');
    EXPECT_EQ(ToUnicode(0xAF), U'\u2015');
    EXPECT_EQ(ToUnicode(0xB4), U'\u0384');
    EXPECT_EQ(ToUnicode(0xB5), U'\u00B5');
    EXPECT_EQ(ToUnicode(0xC0), U'\u0390');
    EXPECT_EQ(ToUnicode(0xC1), U'\u0391');
    EXPECT_EQ(ToUnicode(0xD3), U'\u03A3');
    EXPECT_EQ(ToUnicode(0xF2), U'\u03C2');
    EXPECT_EQ(ToUnicode(0xFE), U'\u03CE');
}

TEST(Cp1253, HolesDecodeToCodePointsOfTheirOwn)
{
    for (unsigned char b : {0x81, 0x88, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x98, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F})
        EXPECT_EQ(ToUnicode(b), char32_t(b)) << "byte " << int(b);
    EXPECT_EQ(ToUnicode(0xAA), U'\uF8F9');
    EXPECT_EQ(ToUnicode(0xD2), U'\uF8FA');
    EXPECT_EQ(ToUnicode(0xFF), U'\uF8FB');
}

TEST(Cp1253, FromUnicodeRefusesWhatTheCodePageLacks)
{
    EXPECT_EQ(FromUnicode(U'\u0080'), std::nullopt);  // 0x80 is the euro sign
    EXPECT_EQ(FromUnicode(U'\u00AA'), std::nullopt);
    EXPECT_EQ(FromUnicode(U'\u0416'), std::nullopt);
    EXPECT_EQ(FromUnicode(U'\U0001F600'), std::nullopt);
    EXPECT_EQ(FromUnicode(0x110000), std::nullopt);
    EXPECT_EQ(FromUnicode(U'\u20AC'), 0x80);
}

TEST(Cp1253, ConvertsGreekText)
{
    EXPECT_EQ(FromUtf8("ΑΘΗΝΑ"), "\xC1\xC8\xC7\xCD\xC1");
    EXPECT_EQ(FromUtf8("Ά"), "\xA2");
    EXPECT_EQ(FromUtf8("Ποσό: 12,50 €"), "\xD0\xEF\xF3\xFC: 12,50 \x80");
    EXPECT_EQ(ToUtf8("\xC1\xC8\xC7\xCD\xC1"), "ΑΘΗΝΑ");
    EXPECT_EQ(ToUtf8("\xA2"), "Ά");
    EXPECT_EQ(FromUtf8(""), "");
    EXPECT_EQ(FromUtf8OrThrow("ΑΘΗΝΑ"), "\xC1\xC8\xC7\xCD\xC1");
}

TEST(Cp1253, RefusesCharactersOutsideTheCodePage)
{
    for (std::string bad : {"Ж", "中", "😀"}) {
        std::string reported;
        EXPECT_EQ(FromUtf8("ΑΒ" + bad + "Γ", &reported), std::nullopt) << bad;
        EXPECT_EQ(reported, bad);
        EXPECT_EQ(FromUtf8(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(ThrownMessage("αЖ"),
              "Ο χαρακτήρας «Ж» δεν επιτρέπεται: δεν ανήκει στην ελληνική κωδικοσελίδα Windows-1253.");
}

TEST(Cp1253, RefusesMalformedUtf8)
{
    const char* malformed[] = {
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong 0x7F
        "\xE0\x80\x80",      // overlong in three bytes
        "\xF0\x80\x80\x80",  // overlong in four bytes
        "\xED\xA0\x80",      // high surrogate
        "\xED\xBF\xBF",      // low surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF8\x88\x80\x80\x80",
        "\xC3",      // truncated
        "\xE2\x82",  // truncated
        "A\xCE",     // truncated at the end
        "\x80",      // stray continuation
        "\xC3\x28",  // bad continuation
        "\xFF",
    };
    for (const char* text : malformed) {
        std::string reported = "untouched";
        EXPECT_EQ(FromUtf8(text, &reported), std::nullopt) << text;
        EXPECT_EQ(reported, "");
        EXPECT_EQ(ThrownMessage(text), "Μη έγκυρο κείμενο UTF-8.");
    }
}

TEST(Cp1253, UpperCasesLatinAndGreek)
{
    EXPECT_EQ(ToUpper('a'), 'A');
    EXPECT_EQ(ToUpper('z'), 'Z');
    EXPECT_EQ(ToUpper('A'), 'A');
    EXPECT_EQ(ToUpper('5'), '5');
    EXPECT_EQ(ToUpper(0xE1), 0xC1);  // α
    EXPECT_EQ(ToUpper(0xF9), 0xD9);  // ω
    EXPECT_EQ(ToUpper(0xF3), 0xD3);  // σ
    EXPECT_EQ(ToUpper(0xF2), 0xD3);  // ς
    EXPECT_EQ(ToUpper(0xDC), 0xA2);  // ά
    EXPECT_EQ(ToUpper(0xDD), 0xB8);  // έ
    EXPECT_EQ(ToUpper(0xDE), 0xB9);  // ή
    EXPECT_EQ(ToUpper(0xDF), 0xBA);  // ί
    EXPECT_EQ(ToUpper(0xFC), 0xBC);  // ό
    EXPECT_EQ(ToUpper(0xFD), 0xBE);  // ύ
    EXPECT_EQ(ToUpper(0xFE), 0xBF);  // ώ
    EXPECT_EQ(ToUpper(0xFA), 0xDA);  // ϊ
    EXPECT_EQ(ToUpper(0xFB), 0xDB);  // ϋ
}

TEST(Cp1253, LeavesLettersWithoutCapitalsAlone)
{
    EXPECT_EQ(ToUpper(0xC0), 0xC0);  // ΐ
    EXPECT_EQ(ToUpper(0xE0), 0xE0);  // ΰ
    EXPECT_EQ(ToUpper(0xB5), 0xB5);  // µ
    EXPECT_EQ(ToUpper(0xC1), 0xC1);
    EXPECT_EQ(ToUpper(0xA2), 0xA2);
    for (int b = 0; b < 256; ++b) {
        auto upper = ToUpper(static_cast<unsigned char>(b));
        EXPECT_EQ(ToUpper(upper), upper) << "byte " << b;
    }
}

TEST(Cp1253, UpperCasesText)
{
    EXPECT_EQ(ToUpper(*FromUtf8("αθήνα, ΐ ς abc")), *FromUtf8("ΑΘΉΝΑ, ΐ Σ ABC"));
    EXPECT_EQ(ToUpper(""), "");
    EXPECT_TRUE(SameTextIgnoringCase(*FromUtf8("Επώνυμο"), *FromUtf8("ΕΠΏΝΥΜΟ")));
    EXPECT_TRUE(SameTextIgnoringCase("afm", "AFM"));
    EXPECT_TRUE(SameTextIgnoringCase("", ""));
    EXPECT_FALSE(SameTextIgnoringCase("afm", "afm2"));
    EXPECT_FALSE(SameTextIgnoringCase(*FromUtf8("ά"), *FromUtf8("Α")));
}

TEST(Cp1253, ComparesBytesWithoutCollation)
{
    std::string ab = *FromUtf8("ΑΒ");
    std::string abg = *FromUtf8("ΑΒΓ");
    EXPECT_LT(CompareBytes(ab, abg), 0);
    EXPECT_GT(CompareBytes(abg, ab), 0);
    EXPECT_EQ(CompareBytes(ab, ab), 0);
    EXPECT_LT(CompareBytes("\xA2", "\xC1"), 0);  // Ά before Α
    EXPECT_LT(CompareBytes("Z", *FromUtf8("Α")), 0);
    EXPECT_LT(CompareBytes(*FromUtf8("Ω"), *FromUtf8("α")), 0);
    EXPECT_LT(CompareBytes("", "A"), 0);
    EXPECT_LT(CompareBytes("", std::string(1, '\0')), 0);
    EXPECT_EQ(CompareBytes("", ""), 0);
    EXPECT_LT(CompareBytes("a", "\x80"), 0);  // unsigned, not char
    EXPECT_LT(CompareBytes("B", "a"), 0);     // no case folding
}
