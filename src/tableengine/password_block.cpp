#include "tableengine/password_block.h"

#include <algorithm>
#include <cstring>

#include "tableengine/sapphire.h"

namespace notarra {

uint16_t Crc16Modbus(const uint8_t* bytes, std::size_t count) {
  uint16_t crc = 0xFFFF;
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

TPasswordBlock MakePlainBlock(std::string_view keyText) {
  TPasswordBlock block{};
  std::memcpy(block.data(), keyText.data(), std::min(keyText.size(), kKeyTextLength));
  uint16_t crc = Crc16Modbus(block.data(), kKeyTextLength);
  block[38] = static_cast<uint8_t>(crc & 0xFF);
  block[39] = static_cast<uint8_t>(crc >> 8);
  return block;
}

TPasswordBlock EncipherBlock(const TPasswordBlock& plain, std::string_view password) {
  TPasswordBlock out = plain;
  TSapphire cipher;
  cipher.SetKey(password);
  cipher.EncryptBuffer(out.data(), kKeyTextLength);
  return out;
}

bool TryPassword(TPasswordBlock& block, std::string_view password, TSapphire* cipher) {
  TPasswordBlock copy = block;
  TSapphire local;
  TSapphire& c = cipher ? *cipher : local;
  c.SetKey(password);
  c.DecryptBuffer(copy.data(), kKeyTextLength);
  if (Crc16Modbus(copy.data(), copy.size()) != 0 || copy[0] != '{' || copy[37] != '}') return false;
  block = copy;
  return true;
}

}  // namespace notarra
