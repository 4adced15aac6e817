#include "platform/unaligned.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace notarra;

namespace {

// At every offset (the sanitizer build catches a helper that reads through a
// misaligned pointer), touching only the value's own bytes.
TEST(Unaligned, LoadsAndStoresAtAnyOffsetWithoutTouchingNeighbours) {
  for (std::size_t offset = 0; offset < 8; ++offset) {
    SCOPED_TRACE(offset);
    alignas(8) uint8_t buffer[24];
    std::memset(buffer, 0xAA, sizeof buffer);
    StoreUnaligned<uint64_t>(buffer + offset, 0x0102030405060708u);
    EXPECT_EQ(LoadUnaligned<uint64_t>(buffer + offset), 0x0102030405060708u);
    for (std::size_t i = 0; i < sizeof buffer; ++i) {
      if (i < offset || i >= offset + 8) {
        EXPECT_EQ(buffer[i], 0xAA) << i;
      }
    }
    // The machine's order, which the table file relies on: least significant first.
    EXPECT_EQ(buffer[offset], 0x08);
    EXPECT_EQ(buffer[offset + 7], 0x01);

    StoreUnaligned<double>(buffer + offset + 1, -2.5);
    EXPECT_EQ(LoadUnaligned<double>(buffer + offset + 1), -2.5);
    StoreUnaligned<int16_t>(buffer + offset + 3, int16_t(-2));
    EXPECT_EQ(LoadUnaligned<int16_t>(buffer + offset + 3), -2);
    EXPECT_EQ(LoadUnaligned<uint16_t>(buffer + offset + 3), 0xFFFE);
  }
}

}  // namespace
