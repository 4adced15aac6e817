// Constants of the table file format, shared by the
// reader and the writer. docs/table-format.md describes the bytes.
#pragma once

#include <bit>
#include <cstdint>

namespace notarra {

namespace table_file {

constexpr uint8_t kKindPlain = 'S';
constexpr uint8_t kKindProtected = 'P';
constexpr uint8_t kKindError = 'E';
constexpr uint8_t kEntryEnd = 0x12;
constexpr uint8_t kSectionEnd = 0x14;
constexpr uint8_t kNotesMark = '*';
constexpr int kPlainHeader = 17;
constexpr int kProtectedHeader = 57;
constexpr int kPasswordBlockSize = 40;
constexpr uint32_t kMaxSectionLength = 99999;
constexpr int32_t kMaxBlobLength = 1073741823;
constexpr int kMaxNotesLength = 32767;

// The reader and the writer copy numbers with LoadUnaligned and
// StoreUnaligned (platform/unaligned.h), in the machine's byte order.
static_assert(std::endian::native == std::endian::little, "the table file's numbers are little-endian");

// Percent done, rounded to the nearest integer with halves to even.
inline int Percent(uint64_t done, uint64_t total) {
  if (total == 0) return 100;
  uint64_t q = done * 100 / total, rem = done * 100 % total;
  if (2 * rem > total || (2 * rem == total && (q & 1))) ++q;
  return static_cast<int>(q);
}

}  // namespace table_file

}  // namespace notarra
