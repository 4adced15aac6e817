#include "tools/utf8.h"

#include "platform/codepage.h"

#include <cstdio>
#include <string>

namespace notarra {

namespace utf8 {

std::size_t Decode(std::string_view s, std::size_t pos, char32_t& cp) {
  uint32_t value = 0;
  std::size_t n = DecodeUtf8(s, pos, value);
  cp = value;
  return n;
}

bool IsValid(std::string_view s, std::size_t* badIndex) {
  std::size_t i = 0;
  while (i < s.size()) {
    // Plain ASCII runs are the common case; skip them quickly.
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const std::size_t n = Decode(s, i, cp);
    if (n == 0) {
      if (badIndex) *badIndex = i;
      return false;
    }
    i += n;
  }
  return true;
}

void Append(std::string& out, char32_t cp) { AppendUtf8(out, cp); }

std::string CodePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

namespace {

// Characters that print as nothing or turn the text around it (zero-width
// spaces and joiners, direction marks and overrides, the byte order mark):
// in a message they would hide or disguise what a file really holds.
bool IsInvisibleFormat(char32_t cp) {
  return cp == 0x00AD || cp == 0x061C || (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2060 && cp <= 0x2069) || cp == 0xFEFF;
}

}  // namespace

std::string Printable(std::string_view s, std::size_t maxBytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t pos = 0;
  while (pos < s.size() && out.size() < maxBytes) {
    char32_t cp;
    std::size_t len = Decode(s, pos, cp);
    if (len > 0 && cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && !IsInvisibleFormat(cp)) {
      out.append(s, pos, len);
      pos += len;
      continue;
    }
    const auto byte = static_cast<unsigned char>(s[pos++]);
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
  if (pos < s.size()) out += "... (" + std::to_string(s.size() - pos) + " more bytes)";
  return out;
}

}  // namespace utf8

}  // namespace notarra
