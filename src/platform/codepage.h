// Text below the GUI is single-byte Windows-1252. This is the one place that
// knows its letters: case mapping, the locale-aware case-insensitive
// comparison, and conversion to and from UTF-8 for the outside world.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace notarra {

// Windows-1252 case mapping of one byte (letters with accents included;
// bytes without a case partner map to themselves).
unsigned char AnsiUpperChar(unsigned char c);
unsigned char AnsiLowerChar(unsigned char c);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Locale-aware, case-insensitive comparison of n bytes of a and b: negative,
// zero or positive. Letters compare by their base letter first (so "é" sorts
// with "e", not after "z"), then accents decide; case never does.
int AnsiCompareTextN(const char* a, const char* b, std::size_t n);
// The same over whole texts; when one is a prefix of the other, the shorter comes first.
// Base letters decide over the whole of both texts before accents do, so this
// is a consistent order for sorting. Comparing only the first min(la, lb)
// bytes with AnsiCompareTextN and then the lengths is not: "eb" < "\xE9"
// (accent), "\xE9" < "\xE9a" (prefix), yet "\xE9a" < "eb" (base letters).
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// A byte string whose bytewise order follows AnsiCompareText: the base-letter
// weights (one byte each, never 0), a 0, then 1 for a text without accents or
// 2 for one with accents. Writes at most cap bytes and returns the count.
// whole is true when the key was written completely and decides alone: two
// texts with equal whole keys compare equal. Texts with accents are never
// whole; where their keys tie, AnsiCompareText has to decide.
std::size_t AnsiCollationKey(std::string_view s, uint8_t* out, std::size_t cap, bool& whole);

// UTF-8 -> Windows-1252. Returns false when the input is not valid UTF-8 or
// holds a character Windows-1252 cannot represent; badIndex (when given) is
// then the byte offset of the offending character in the input.
bool Utf8ToAnsi(std::string_view utf8, std::string& out, std::size_t* badIndex = nullptr);
// One UTF-8 character at s[pos]: its length in bytes and its code point, or 0
// when the bytes there are malformed (overlong forms, surrogates and values
// past U+10FFFF included).
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, uint32_t& cp);
// Appends the UTF-8 form of a valid code point.
void AppendUtf8(std::string& out, uint32_t cp);
// Windows-1252 -> UTF-8 (the five undefined bytes 0x81 0x8D 0x8F 0x90 0x9D map to U+0081 etc.).
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace notarra
