// Small ASCII text helpers for every layer: blanks and trimming, ASCII letters
// and digits, ASCII case-insensitive comparison, and the "short|long" hint.
//
// This is their one home. Before writing a trim, a case-insensitive compare or
// a hint split of your own, use (or extend) these. They treat bytes beyond
// ASCII as plain bytes, which suits keywords, operators, type names and file
// names; text that a person reads and sorts follows the code page's letters
// instead (AnsiSameText and friends in codepage.h).
#pragma once

#include <string>
#include <string_view>

namespace notarra {

// A blank or a tab: what our text trimming takes away.
inline bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

// s without leading and trailing blanks and tabs (other white space stays).
std::string_view Trim(std::string_view s);

// Whether a and b are equal ignoring the case of ASCII letters.
bool AsciiSameText(std::string_view a, std::string_view b);
std::string AsciiUpperCase(std::string_view s);
std::string AsciiLowerCase(std::string_view s);

// A hint "Short|Long" gives a tool tip (before the first bar) and a status
// line text (after it); a hint without a bar gives the same text for both.
struct THintParts {
  std::string_view Short;
  std::string_view Long;
};
THintParts SplitHint(std::string_view hint);

}  // namespace notarra
