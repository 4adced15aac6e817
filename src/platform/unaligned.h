// Loads and stores of plain values at any byte address: record buffers, file
// sections, bookmarks and key buffers hold their values without alignment.
//
// This is the one home for such helpers: read or write a value inside a byte
// buffer with LoadUnaligned / StoreUnaligned rather than a memcpy or a cast of
// your own. They copy the bytes (no alignment or aliasing assumptions; the
// compiler turns them into plain moves) and keep the machine's byte order.
#pragma once

#include <cstring>
#include <type_traits>

namespace notarra {

template <typename T>
inline T LoadUnaligned(const void* p) {
  static_assert(std::is_trivially_copyable_v<T>);
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
inline void StoreUnaligned(void* p, const T& v) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(p, &v, sizeof v);
}

}  // namespace notarra
