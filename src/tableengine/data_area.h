// Accessors for values in a record's data area. A data area owns the String
// texts and BLOB blocks it refers to: copying one copies them (deep copy),
// releasing one frees them. An all-zero data area has every field empty.
//
// A String reference points at the first character of a text that carries its
// 32-bit length just before the characters, so texts compare without scanning
// (and, being lengths, need no terminator). The length word's top bit marks a
// text of its own on the heap, which releasing frees. Without it the text is
// borrowed: from its store's arena, or from the mapped table file itself,
// whose String values are laid out just so; the store gives those back all at
// once. A BLOB reference points at a block; the 32-bit length follows the
// pointer in the data area, its top bit marking a block borrowed from the
// mapped file (BLOB lengths stay below 2^30).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/unaligned.h"
#include "tableengine/field.h"

namespace notarra {

namespace data_area {

// The value of field f in a data area (fields are not aligned).
template <typename T>
inline T Load(const uint8_t* data, const TVelaField& f) {
  return LoadUnaligned<T>(data + f.Offset);
}
template <typename T>
inline void Store(uint8_t* data, const TVelaField& f, T v) {
  StoreUnaligned<T>(data + f.Offset, v);
}

// String texts.
inline const char* TextRef(const uint8_t* data, const TVelaField& f) { return Load<const char*>(data, f); }
constexpr uint32_t kOwnedText = 0x80000000u;
inline uint32_t TextLength(const char* text) { return LoadUnaligned<uint32_t>(text - sizeof(uint32_t)) & ~kOwnedText; }
inline std::string_view Text(const uint8_t* data, const TVelaField& f) {
  const char* t = TextRef(data, f);
  return t ? std::string_view(t, TextLength(t)) : std::string_view();
}
// A new owned text (never for an empty one: empty means no reference).
char* NewText(std::string_view s);
// Lays out a text at place, which has room for TextFootprint(s.size()) bytes:
// as an owned heap text, or as a borrowed arena text.
char* PlaceText(char* place, std::string_view s);
char* PlaceArenaText(char* place, std::string_view s);
inline bool IsOwnedText(const char* text) {
  return (LoadUnaligned<uint32_t>(text - sizeof(uint32_t)) & kOwnedText) != 0;
}
constexpr std::size_t TextFootprint(std::size_t length) { return sizeof(uint32_t) + length + 1; }
void FreeText(const char* text);  // only an owned text is freed

// BLOB blocks.
constexpr uint32_t kBorrowedBlock = 0x80000000u;
inline uint8_t* BlobRef(const uint8_t* data, const TVelaField& f) { return Load<uint8_t*>(data, f); }
inline uint32_t BlobLengthWord(const uint8_t* data, const TVelaField& f) {
  return LoadUnaligned<uint32_t>(data + f.Offset + sizeof(uint8_t*));
}
inline uint32_t BlobLength(const uint8_t* data, const TVelaField& f) {
  return BlobLengthWord(data, f) & ~kBorrowedBlock;
}
inline bool IsBorrowedBlob(const uint8_t* data, const TVelaField& f) {
  return (BlobLengthWord(data, f) & kBorrowedBlock) != 0;
}
// Sets the length word only; the block is set with Store<uint8_t*>.
inline void SetBlobLength(uint8_t* data, const TVelaField& f, uint32_t n, bool borrowed = false) {
  StoreUnaligned(data + f.Offset + sizeof(uint8_t*), n | (borrowed ? kBorrowedBlock : 0));
}
// The field's block when the area owns it, else nullptr.
inline uint8_t* OwnedBlob(const uint8_t* data, const TVelaField& f) {
  return IsBorrowedBlob(data, f) ? nullptr : BlobRef(data, f);
}
inline std::string_view Blob(const uint8_t* data, const TVelaField& f) {
  uint8_t* b = BlobRef(data, f);
  return b ? std::string_view(reinterpret_cast<const char*>(b), BlobLength(data, f)) : std::string_view();
}
uint8_t* NewBlock(std::string_view bytes);  // nullptr for an empty block
void FreeBlock(uint8_t* block);

// SmallStr: characters up to the zero byte (at most Size).
inline std::string_view SmallText(const uint8_t* data, const TVelaField& f) {
  // Sizes are at most a few dozen bytes: a plain loop beats a library call.
  const char* p = reinterpret_cast<const char*>(data + f.Offset);
  std::size_t n = 0;
  while (n < static_cast<std::size_t>(f.Size) && p[n] != '\0') ++n;
  return std::string_view(p, n);
}

// Replaces the field's value with the given text/bytes (releasing the old
// one). SmallStr and String keep at most Size characters; BLOB kinds keep all.
void SetText(uint8_t* data, const TVelaField& f, std::string_view s);
void SetBlob(uint8_t* data, const TVelaField& f, std::string_view bytes);
// Releases the field's text or block and zeroes its value.
void ClearField(uint8_t* data, const TVelaField& f);

}  // namespace data_area

}  // namespace notarra
