#include "platform/block_size.h"

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace notarra {
namespace {

TEST(BlockSize, CoversTheRequestOrAdmitsNotKnowing) {
  EXPECT_EQ(UsableBlockSize(nullptr), 0u);
  for (std::size_t asked : {1u, 24u, 100u, 4096u, 100000u}) {
    void* block = std::malloc(asked);
    ASSERT_NE(block, nullptr);
    const std::size_t usable = UsableBlockSize(block);
#if defined(__GLIBC__) || defined(__APPLE__) || defined(_WIN32)
    EXPECT_GE(usable, asked) << asked;
    // Every byte reported usable can be written (the sanitizer build checks it).
    std::memset(block, 0x5A, usable);
#else
    EXPECT_EQ(usable, 0u);
#endif
    std::free(block);
  }
}

}  // namespace
}  // namespace notarra
