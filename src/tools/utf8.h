// UTF-8 checks for text that comes from outside (JSON and CSV input).
#pragma once

#include <cstddef>
#include <string_view>

namespace notarra {

namespace utf8 {

// Decodes the character that starts at pos. Returns its length in bytes
// (1 to 4) and the code point, or 0 when the bytes there are not a valid,
// shortest-form UTF-8 character (surrogates and values above U+10FFFF are
// invalid too).
std::size_t Decode(std::string_view s, std::size_t pos, char32_t& cp);

// True when the whole text is valid UTF-8; otherwise badIndex (when given) is
// the byte offset of the first invalid sequence.
bool IsValid(std::string_view s, std::size_t* badIndex = nullptr);

// Appends the UTF-8 form of a code point (which must be valid).
void Append(std::string& out, char32_t cp);

// "U+00E9" style name of a code point, for messages.
std::string CodePointName(char32_t cp);

// A message made safe for a terminal: control characters, characters that
// print as nothing or reverse the text (U+200B, U+202E, ...) and bytes that
// are not valid UTF-8 are shown as \xNN (a damaged file's text may hold
// escape sequences), and a text longer than maxBytes is cut, saying how much was left out.
std::string Printable(std::string_view s, std::size_t maxBytes = 1000);

}  // namespace utf8

}  // namespace notarra
