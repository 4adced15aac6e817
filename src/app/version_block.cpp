#include "app/version_block.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace notarra {

#define NOTARRA_STR2(x) #x
#define NOTARRA_STR(x) NOTARRA_STR2(x)

namespace {

constexpr uint32_t kMajor = NOTARRA_VERSION_MAJOR, kMinor = NOTARRA_VERSION_MINOR;
constexpr uint32_t kPatch = NOTARRA_VERSION_PATCH, kBuild = NOTARRA_VERSION_BUILD;
constexpr std::string_view kVersionText = NOTARRA_STR(NOTARRA_VERSION_MAJOR) "." NOTARRA_STR(
    NOTARRA_VERSION_MINOR) "." NOTARRA_STR(NOTARRA_VERSION_PATCH) "." NOTARRA_STR(NOTARRA_VERSION_BUILD);
constexpr std::size_t kCapacity = 1024;

struct Writer {
  std::array<unsigned char, kCapacity> bytes{};
  std::size_t size = 0;
  constexpr void U8(unsigned v) { bytes[size++] = static_cast<unsigned char>(v); }
  constexpr void U16(unsigned v) { U8(v & 0xFF), U8(v >> 8); }
  constexpr void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  constexpr void Text(std::string_view s) {
    for (char c : s) U8(static_cast<unsigned char>(c));
    U8(0);
  }
};

constexpr std::array<unsigned char, kCapacity> Build() {
  Writer w;
  for (int i = 0; i < 16; ++i) w.U8(static_cast<unsigned char>(kVersionBlockSignature[i]));
  w.U32(0);  // length, filled in below
  const uint32_t fixed[13] = {kFixedFileInfoSignature,
                              0x00010000u,  // structure version 1.0
                              (kMajor << 16) | kMinor, (kPatch << 16) | kBuild,
                              (kMajor << 16) | kMinor, (kPatch << 16) | kBuild,
                              0x3Fu, 0u,       // flag mask, flags
                              0x00040004u,     // 32-bit Windows on NT, as the format knows it
                              1u, 0u,          // an application, no subtype
                              0u, 0u};         // no file date
  for (uint32_t v : fixed) w.U32(v);
  w.U32(1);
  w.U16(0x0409);  // US English
  w.U16(1252);    // Windows-1252
  const std::string_view strings[][2] = {
      {"CompanyName", "The Notarra authors"},
      {"FileDescription", "Notarra - ideas for blog posts"},
      {"FileVersion", kVersionText},
      {"InternalName", "notarra"},
      {"LegalCopyright", "Copyright (C) 2026 The Notarra authors"},
      {"OriginalFileName", "notarra"},
      {"ProductName", "Notarra"},
      {"ProductVersion", kVersionText},
  };
  w.U32(static_cast<uint32_t>(std::size(strings)));
  for (const auto& s : strings) {
    for (char c : std::string_view("\\StringFileInfo\\040904e4\\")) w.U8(static_cast<unsigned char>(c));
    w.Text(s[0]);
    w.Text(s[1]);
  }
  const std::size_t length = w.size;
  w.size = 16;
  w.U32(static_cast<uint32_t>(length));
  return w.bytes;
}

// Kept even though nothing in the program reads it through the symbol: the
// block is found by scanning the program file.
[[gnu::used]] constinit const std::array<unsigned char, kCapacity> kProgramVersionBlock = Build();

}  // namespace

std::span<const unsigned char> ProgramVersionBlock() { return kProgramVersionBlock; }

std::string_view ProgramVersionText() { return kVersionText; }

}  // namespace notarra
