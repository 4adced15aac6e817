#include "tools/base64.h"

#include <array>
#include <cstdint>

namespace notarra {

namespace base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> MakeDecodeTable() {
  std::array<int8_t, 256> t{};
  for (auto& v : t) v = -1;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
  return t;
}
constexpr auto kDecode = MakeDecodeTable();

}  // namespace

void AppendEncoded(std::string& out, std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  out.reserve(out.size() + (n + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (n - i == 1) {
    const uint32_t v = uint32_t(p[i]) << 16;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (n - i == 2) {
    const uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += '=';
  }
}

std::string Encode(std::string_view bytes) {
  std::string out;
  AppendEncoded(out, bytes);
  return out;
}

bool Decode(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  if (text.size() % 4 != 0) {
    error = "base64 text length " + std::to_string(text.size()) + " is not a multiple of 4";
    return false;
  }
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int pad = 0;
    if (last) {
      if (text[i + 3] == '=') pad = text[i + 2] == '=' ? 2 : 1;
    }
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if (k >= 4 - pad) {
        v <<= 6;
        continue;
      }
      const int d = kDecode[c];
      if (d < 0) {
        error = c == '=' ? "misplaced '=' padding in base64 text at position " + std::to_string(i + k)
                         : "invalid base64 character at position " + std::to_string(i + k);
        return false;
      }
      v = (v << 6) | static_cast<uint32_t>(d);
    }
    out += static_cast<char>(v >> 16);
    if (pad < 2) out += static_cast<char>((v >> 8) & 0xFF);
    if (pad < 1) out += static_cast<char>(v & 0xFF);
  }
  return true;
}

}  // namespace base64

}  // namespace notarra
