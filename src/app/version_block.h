// The program's version block: the fixed file information, the translation
// table and the string table that the licence box shows. It is a constant
// byte block inside the program file itself, so that the version travels
// with the executable; TFileVersionInfo finds it by its signature.
//
// Layout (integers little-endian):
//   16 bytes  kVersionBlockSignature
//   u32       length of the whole block, signature included
//   52 bytes  fixed file information (13 u32; the first is 0xFEEF04BD)
//   u32       number of translations n, then n times (u16 language, u16 code page)
//   u32       number of strings m, then m times a zero-terminated key and a
//             zero-terminated value; keys are query paths such as
//             "\StringFileInfo\040904e4\FileVersion"
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace notarra {

inline constexpr char kVersionBlockSignature[17] = "NOTARRA-VERINFO\x01";
inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
inline constexpr int kFixedFileInfoSize = 52;

// The block compiled into this program.
std::span<const unsigned char> ProgramVersionBlock();
// The version the block gives ("0.1.0.0").
std::string_view ProgramVersionText();

}  // namespace notarra
