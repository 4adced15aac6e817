// Small text helpers shared by the number and the date conversions.
#pragma once

#include <string>
#include <string_view>

#include "platform/exceptions.h"

namespace notarra {

namespace conversion_text {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Raises EConvertError with fmt's one "%s" filled with the text.
[[noreturn]] inline void ConvertError(const char* fmt, std::string_view text) {
  throw EConvertError(Format(fmt, std::string(text).c_str()));
}

}  // namespace conversion_text

}  // namespace notarra
