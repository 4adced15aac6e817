// TSapphire: the Sapphire II stream cipher with which protected tables are
// stored. Its state is set up afresh by every SetKey; one run of encryption
// or decryption must not be interleaved with another on the same instance.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace notarra {

class TSapphire {
public:
  TSapphire();   // the state of an empty key
  ~TSapphire();  // burns the state first

  void SetKey(std::string_view key);
  uint8_t EncryptByte(uint8_t b);
  uint8_t DecryptByte(uint8_t b);
  void EncryptBuffer(uint8_t* bytes, std::size_t count);
  void DecryptBuffer(uint8_t* bytes, std::size_t count);

  // Zeroes the cards and every character of the key, then returns to the empty-key state.
  void Burn();

private:
  void Reset();
  uint8_t KeyRand(uint8_t limit, std::size_t& keyPos, uint8_t& sum);
  uint8_t Step(uint8_t b);

  std::array<uint8_t, 256> cards_{};
  uint8_t rotor_ = 0, ratchet_ = 0, avalanche_ = 0, lastPlain_ = 0, lastCipher_ = 0;
  std::string key_;
};

}  // namespace notarra
