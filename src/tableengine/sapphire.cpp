#include "tableengine/sapphire.h"

namespace notarra {

TSapphire::TSapphire() { Reset(); }

TSapphire::~TSapphire() { Burn(); }

void TSapphire::Reset() {
  rotor_ = 1;
  ratchet_ = 3;
  avalanche_ = 5;
  lastPlain_ = 7;
  lastCipher_ = 11;
  for (int i = 0; i < 256; ++i) cards_[i] = static_cast<uint8_t>(255 - i);
}

void TSapphire::Burn() {
  cards_.fill(0);
  // Overwrite the key's characters in place before letting the text go.
  for (char& c : key_) reinterpret_cast<volatile char&>(c) = 0;
  key_.clear();
  Reset();
}

uint8_t TSapphire::KeyRand(uint8_t limit, std::size_t& keyPos, uint8_t& sum) {
  unsigned mask = 1;
  while (mask < limit) mask = mask * 2 + 1;
  const std::size_t n = key_.size();
  unsigned u;
  int tries = 0;
  do {
    sum = static_cast<uint8_t>(cards_[sum] + static_cast<uint8_t>(key_[keyPos]));
    if (++keyPos >= n) {
      keyPos = 0;
      sum = static_cast<uint8_t>(sum + n);
    }
    u = mask & sum;
    if (++tries >= 12) u %= limit;
  } while (u > limit);
  return static_cast<uint8_t>(u);
}

void TSapphire::SetKey(std::string_view key) {
  Burn();
  key_.assign(key);
  if (key_.empty()) return;
  for (int i = 0; i < 256; ++i) cards_[i] = static_cast<uint8_t>(i);
  std::size_t keyPos = 0;
  uint8_t sum = 0;
  for (int i = 255; i >= 1; --i) {
    uint8_t t = KeyRand(static_cast<uint8_t>(i), keyPos, sum);
    std::swap(cards_[i], cards_[t]);
  }
  rotor_ = cards_[1];
  ratchet_ = cards_[3];
  avalanche_ = cards_[5];
  lastPlain_ = cards_[7];
  lastCipher_ = cards_[sum];
}

// The state update shared by both directions; returns the keystream-mixed byte.
uint8_t TSapphire::Step(uint8_t b) {
  ratchet_ = static_cast<uint8_t>(ratchet_ + cards_[rotor_]);
  ++rotor_;
  uint8_t w = cards_[lastCipher_];
  cards_[lastCipher_] = cards_[ratchet_];
  cards_[ratchet_] = cards_[lastPlain_];
  cards_[lastPlain_] = cards_[rotor_];
  cards_[rotor_] = w;
  avalanche_ = static_cast<uint8_t>(avalanche_ + cards_[w]);
  return b ^ cards_[static_cast<uint8_t>(cards_[ratchet_] + cards_[rotor_])] ^
         cards_[cards_[static_cast<uint8_t>(cards_[lastPlain_] + cards_[lastCipher_] + cards_[avalanche_])]];
}

uint8_t TSapphire::EncryptByte(uint8_t b) {
  uint8_t r = Step(b);
  lastPlain_ = b;
  lastCipher_ = r;
  return r;
}

uint8_t TSapphire::DecryptByte(uint8_t b) {
  uint8_t r = Step(b);
  lastPlain_ = r;
  lastCipher_ = b;
  return r;
}

void TSapphire::EncryptBuffer(uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = EncryptByte(bytes[i]);
}

void TSapphire::DecryptBuffer(uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = DecryptByte(bytes[i]);
}

}  // namespace notarra
