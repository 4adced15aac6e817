#include "tableengine/data_area.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace notarra {

namespace data_area {

char* PlaceText(char* place, std::string_view s) {
  StoreUnaligned(place, static_cast<uint32_t>(s.size()) | kOwnedText);
  char* text = place + sizeof(uint32_t);
  if (!s.empty()) std::memcpy(text, s.data(), s.size());
  text[s.size()] = '\0';
  return text;
}

char* NewText(std::string_view s) {
  auto* block = static_cast<char*>(std::malloc(TextFootprint(s.size())));
  if (!block) throw std::bad_alloc();
  return PlaceText(block, s);
}

char* PlaceArenaText(char* place, std::string_view s) {
  char* text = PlaceText(place, s);
  StoreUnaligned(place, static_cast<uint32_t>(s.size()));
  return text;
}

void FreeText(const char* text) {
  if (!text) return;
  if (IsOwnedText(text)) std::free(const_cast<char*>(text) - sizeof(uint32_t));
}

uint8_t* NewBlock(std::string_view bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes.size()));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, bytes.data(), bytes.size());
  return block;
}

void FreeBlock(uint8_t* block) { std::free(block); }

void ClearField(uint8_t* data, const TVelaField& f) {
  if (f.Kind == TVelaFieldKind::String) {
    FreeText(TextRef(data, f));
  } else if (IsBlobKind(f.Kind)) {
    FreeBlock(OwnedBlob(data, f));
  }
  std::memset(data + f.Offset, 0, f.DataSize);
}

void SetText(uint8_t* data, const TVelaField& f, std::string_view s) {
  ClearField(data, f);
  if (f.Kind == TVelaFieldKind::SmallStr) {
    std::size_t n = std::min<std::size_t>(s.size(), f.Size > 0 ? f.Size : 0);
    if (n > 0) std::memcpy(data + f.Offset, s.data(), n);
  } else if (f.Kind == TVelaFieldKind::String) {
    if (f.Size >= 0 && s.size() > static_cast<std::size_t>(f.Size)) s = s.substr(0, f.Size);
    if (!s.empty()) Store<const char*>(data, f, NewText(s));
  } else if (IsBlobKind(f.Kind)) {
    SetBlob(data, f, s);
  }
}

void SetBlob(uint8_t* data, const TVelaField& f, std::string_view bytes) {
  ClearField(data, f);
  if (!IsBlobKind(f.Kind) || bytes.empty()) return;
  Store<uint8_t*>(data, f, NewBlock(bytes));
  SetBlobLength(data, f, static_cast<uint32_t>(bytes.size()));
}

}  // namespace data_area

}  // namespace notarra
