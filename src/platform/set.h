// TSet: a set of values of an unscoped enumeration (at most 32 members),
// like a Pascal set: options, states and modes throughout the system.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace notarra {

template <typename E>
class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }
  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E v) { bits_ |= Bit(v); return *this; }
  constexpr TSet& Exclude(E v) { bits_ &= ~Bit(v); return *this; }
  constexpr TSet operator|(TSet other) const { TSet s; s.bits_ = bits_ | other.bits_; return s; }
  constexpr TSet operator&(TSet other) const { TSet s; s.bits_ = bits_ & other.bits_; return s; }
  constexpr bool operator==(const TSet&) const = default;
  constexpr uint32_t Bits() const { return bits_; }

private:
  static constexpr uint32_t Bit(E v) { return uint32_t{1} << static_cast<unsigned>(v); }
  uint32_t bits_ = 0;
};

}  // namespace notarra
