// Windows-1253 (Greek) text, the code page of the statement file, the
// working files and the report. The records and the header are kept in it as
// they are written; every text the program says is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace epinax::cp1253 {

// The Unicode code point of one Windows-1253 byte. Bytes the code page leaves
// unassigned decode to code points of their own (C1 controls for 0x81..0x9F,
// private-use U+F8F9..U+F8FB for 0xAA, 0xD2, 0xFF) so that any file survives a
// round trip through the windows unchanged.
char32_t ToUnicode(unsigned char byte);

// The Windows-1253 byte of a code point, or nothing when the code page cannot
// hold it. Exact inverse of ToUnicode.
std::optional<unsigned char> FromUnicode(char32_t codePoint);

// Every byte decoded; never fails.
std::string ToUtf8(std::string_view cp1253Text);

// Fails on malformed UTF-8 and on characters outside Windows-1253; the first
// offending character is reported (as UTF-8) in `badCharacter` when given.
std::optional<std::string> FromUtf8(std::string_view utf8Text, std::string* badCharacter = nullptr);

// As FromUtf8, but throws std::invalid_argument with a Greek UTF-8 message.
std::string FromUtf8OrThrow(std::string_view utf8Text);

// Upper case under Windows-1253 rules: Latin a-z, Greek small letters with and
// without tonos/dialytika, final sigma to capital sigma. ΐ, ΰ and µ stay.
unsigned char ToUpper(unsigned char byte);
std::string ToUpper(std::string_view text);

// Case-insensitive equality under ToUpper (field names, for example).
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

// Byte-wise ordering: unsigned bytes, first difference decides, a proper
// prefix sorts first. No locale collation, no case folding. Returns <0, 0, >0.
int CompareBytes(std::string_view a, std::string_view b);

}  // namespace epinax::cp1253

namespace epinax {

// Well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

}  // namespace epinax
