#include "common/Cp1253.h"

#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <utility>

namespace epinax::cp1253 {
namespace {

// The upper half of the code page, written out by hand: iconv and ICU do not
// agree on 0xAA, and the files of the program must decode the same way
// everywhere. Holes keep a code point of their own (C1 controls, U+F8F9..
// U+F8FB) rather than a replacement character, so that no byte is ever lost.
// Eight code points a line, as the code page is laid out.
// clang-format off
constexpr std::array<char32_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x008D, 0x008E, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x009D, 0x009E, 0x009F,  // 0x98
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0xF8F9, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,  // 0xA8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F,  // 0xB8
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,  // 0xC0
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F,  // 0xC8
    0x03A0, 0x03A1, 0xF8FA, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7,  // 0xD0
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,  // 0xD8
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,  // 0xE0
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,  // 0xE8
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,  // 0xF0
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0xF8FB,  // 0xF8
};
// clang-format on

struct CodePointByte {
    char32_t codePoint;
    unsigned char byte;
};

constexpr bool ByCodePoint(const CodePointByte& a, const CodePointByte& b) { return a.codePoint < b.codePoint; }

constexpr bool SameCodePoint(const CodePointByte& a, const CodePointByte& b) { return a.codePoint == b.codePoint; }

// Every UTF-8 field of a statement goes through the reverse lookup, so it is
// a table sorted at compile time and searched by halving.
constexpr std::array<CodePointByte, 128> BuildReverseTable()
{
    std::array<CodePointByte, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = {kUpperHalf[i], static_cast<unsigned char>(0x80 + i)};
    std::sort(table.begin(), table.end(), ByCodePoint);
    return table;
}

constexpr std::array<CodePointByte, 128> kByCodePoint = BuildReverseTable();

// The inverse exists only if no code point is claimed twice, and the ASCII
// shortcut of FromUnicode is right only if the upper half stays above ASCII.
static_assert(std::adjacent_find(kByCodePoint.begin(), kByCodePoint.end(), SameCodePoint) == kByCodePoint.end());
static_assert(kByCodePoint.front().codePoint >= 0x80);

constexpr unsigned char UpperOf(unsigned char byte)
{
    if (byte >= 'a' && byte <= 'z') return byte - 0x20;
    // 0xF2 - 0x20 is a hole of the code page: final sigma shares the capital.
    if (byte == 0xF2) return 0xD3;
    if (byte >= 0xE1 && byte <= 0xF9) return byte - 0x20;
    // Accented small letters: their capitals sit far from them in the table.
    switch (byte) {
    case 0xDC: return 0xA2;  // ά
    case 0xDD: return 0xB8;  // έ
    case 0xDE: return 0xB9;  // ή
    case 0xDF: return 0xBA;  // ί
    case 0xFC: return 0xBC;  // ό
    case 0xFD: return 0xBE;  // ύ
    case 0xFE: return 0xBF;  // ώ
    case 0xFA: return 0xDA;  // ϊ
    case 0xFB: return 0xDB;  // ϋ
    default: return byte;    // ΐ, ΰ and µ have no capital in the code page
    }
}

constexpr std::array<unsigned char, 256> BuildUpperTable()
{
    std::array<unsigned char, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = UpperOf(static_cast<unsigned char>(i));
    return table;
}

constexpr std::array<unsigned char, 256> kUpper = BuildUpperTable();

void AppendUtf8(std::string& out, char32_t codePoint)
{
    auto put = [&out](char32_t bits) { out += static_cast<char>(bits); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

struct DecodedCharacter {
    char32_t codePoint;
    std::size_t length;
};

struct SequenceShape {
    std::size_t length;
    char32_t leadBits;
    char32_t smallestCodePoint;  // anything below is an overlong form
};

std::optional<SequenceShape> ShapeOfLead(unsigned char lead)
{
    if ((lead & 0xE0) == 0xC0) return SequenceShape{2, char32_t(lead & 0x1F), 0x80};
    if ((lead & 0xF0) == 0xE0) return SequenceShape{3, char32_t(lead & 0x0F), 0x800};
    if ((lead & 0xF8) == 0xF0) return SequenceShape{4, char32_t(lead & 0x07), 0x10000};
    return std::nullopt;  // stray continuation byte or a lead of 5+ bytes
}

bool IsScalarValue(char32_t codePoint)
{
    bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return !surrogate && codePoint <= 0x10FFFF;
}

// Strict decoding: a lenient decoder would let two different byte strings
// stand for one text, and the stored files must compare byte for byte.
std::optional<DecodedCharacter> DecodeUtf8At(std::string_view text, std::size_t at)
{
    auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return DecodedCharacter{lead, 1};
    auto shape = ShapeOfLead(lead);
    if (!shape || shape->length > text.size() - at) return std::nullopt;
    char32_t codePoint = shape->leadBits;
    for (std::size_t i = 1; i < shape->length; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < shape->smallestCodePoint || !IsScalarValue(codePoint)) return std::nullopt;
    return DecodedCharacter{codePoint, shape->length};
}

}  // namespace

char32_t ToUnicode(unsigned char byte) { return byte < 0x80 ? char32_t(byte) : kUpperHalf[byte - 0x80]; }

std::optional<unsigned char> FromUnicode(char32_t codePoint)
{
    if (codePoint < 0x80) return static_cast<unsigned char>(codePoint);
    CodePointByte key{codePoint, 0};
    auto found = std::lower_bound(kByCodePoint.begin(), kByCodePoint.end(), key, ByCodePoint);
    if (found == kByCodePoint.end() || found->codePoint != codePoint) return std::nullopt;
    return found->byte;
}

std::string ToUtf8(std::string_view cp1253Text)
{
    std::string out;
    out.reserve(cp1253Text.size() * 2);
    for (char c : cp1253Text) AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

// Malformed input leaves `badCharacter` empty: there is no character to show,
// and the empty text lets FromUtf8OrThrow pick the right message.
std::optional<std::string> FromUtf8(std::string_view utf8Text, std::string* badCharacter)
{
    std::string out;
    out.reserve(utf8Text.size());
    for (std::size_t at = 0; at < utf8Text.size();) {
        auto decoded = DecodeUtf8At(utf8Text, at);
        if (!decoded) {
            if (badCharacter) badCharacter->clear();
            return std::nullopt;
        }
        auto byte = FromUnicode(decoded->codePoint);
        if (!byte) {
            if (badCharacter) *badCharacter = std::string(utf8Text.substr(at, decoded->length));
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        at += decoded->length;
    }
    return out;
}

std::string FromUtf8OrThrow(std::string_view utf8Text)
{
    std::string badCharacter;
    if (auto converted = FromUtf8(utf8Text, &badCharacter)) return *std::move(converted);
    if (badCharacter.empty()) throw std::invalid_argument("Μη έγκυρο κείμενο UTF-8.");
    throw std::invalid_argument(FormatMessage(
        "Ο χαρακτήρας «%s» δεν επιτρέπεται: δεν ανήκει στην ελληνική κωδικοσελίδα Windows-1253.", badCharacter));
}

unsigned char ToUpper(unsigned char byte) { return kUpper[byte]; }

std::string ToUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpper(static_cast<unsigned char>(a[i])) != ToUpper(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

int CompareBytes(std::string_view a, std::string_view b)
{
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        auto left = static_cast<unsigned char>(a[i]);
        auto right = static_cast<unsigned char>(b[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace epinax::cp1253

namespace epinax {

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        auto decoded = cp1253::DecodeUtf8At(bytes, at);
        if (!decoded) return false;
        at += decoded->length;
    }
    return true;
}

}  // namespace epinax
