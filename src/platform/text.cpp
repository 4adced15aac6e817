#include "platform/text.h"

namespace notarra {

int HexDigitValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlankOrTab(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrTab(s.back())) s.remove_suffix(1);
  return s;
}

bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

std::string AsciiUpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

std::string AsciiLowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

THintParts SplitHint(std::string_view hint) {
  const std::size_t bar = hint.find('|');
  if (bar == std::string_view::npos) return {hint, hint};
  return {hint.substr(0, bar), hint.substr(bar + 1)};
}

}  // namespace notarra
