// The 40-byte password block of a protected table: a 38-character key text
// (a GUID's text form) enciphered with the password, followed by the CRC-16
// of the plain key text, low byte first, in clear. The records are
// enciphered with the key text, not with the password.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace notarra {

using TPasswordBlock = std::array<uint8_t, 40>;
constexpr std::size_t kKeyTextLength = 38;

// CRC-16/MODBUS: initial 0xFFFF, reflected polynomial 0xA001, no final XOR.
// The reader's error for a protected table that no password given opens.
inline constexpr char kInvalidPasswordMessage[] = "Invalid password. Table cannot be open";

uint16_t Crc16Modbus(const uint8_t* bytes, std::size_t count);

// A plain block (key text + CRC) for the given key text of 38 characters.
TPasswordBlock MakePlainBlock(std::string_view keyText);
// The block as written to the file: the key text enciphered with the password.
TPasswordBlock EncipherBlock(const TPasswordBlock& plain, std::string_view password);
class TSapphire;
// Tries a password: on success block becomes the deciphered (plain) block.
// Uses the given cipher instance, or a local one.
bool TryPassword(TPasswordBlock& block, std::string_view password, TSapphire* cipher = nullptr);
// The key text of a plain block.
inline std::string_view KeyText(const TPasswordBlock& plain) {
  return std::string_view(reinterpret_cast<const char*>(plain.data()), kKeyTextLength);
}

}  // namespace notarra
