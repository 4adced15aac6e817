#include "platform/guid.h"

#include <array>
#include <cstdint>
#include <random>

namespace notarra {

std::string NewGuidText() {
  // The operating system's entropy source: GUIDs key table encryption, so
  // they must not repeat between runs.
  static std::random_device device;
  std::array<uint8_t, 16> bytes;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    uint32_t v = device();
    for (int k = 0; k < 4; ++k) bytes[i + k] = static_cast<uint8_t>(v >> (8 * k));
  }
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "{";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 0x0F];
  }
  text += '}';
  return text;
}

}  // namespace notarra
