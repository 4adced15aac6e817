// Field kinds and the field descriptor. The kind fixes how a value sits in a
// record's data area, how it is written to the table file and how it
// compares. Data-area forms (little-endian, unaligned):
//   SmallInt 16-bit, Integer/AutoInc/Date/Time 32-bit, Int64 64-bit,
//   Boolean 16-bit (0 false, true stored as -1), Double/Currency/DateTime
//   IEEE double, SmallStr the characters then a zero byte in place (size + 1),
//   String a pointer to an owned text (see data_area.h), BLOB kinds a pointer
//   to an owned block followed by its 32-bit length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace notarra {

enum class TVelaFieldKind : uint8_t {
  Unknown = 0,
  SmallInt = 1,
  Integer = 2,
  Int64 = 3,
  Boolean = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  Time = 8,
  DateTime = 9,
  AutoInc = 10,
  SmallStr = 11,
  String = 12,
  BLOB = 13,
  Memo = 14,
  FmtMemo = 15,
  Graphic = 16,
};

constexpr int kMaxSmallStrSize = 35;     // largest size whose type code is one base-36 digit
constexpr int kMaxStringLength = 8191;   // longest String text the reader accepts

struct TVelaField {
  std::string Name;
  std::string Qualifier = "XXX";
  uint16_t DataSize = 0;   // bytes in the in-memory data area
  int16_t Size = 0;        // declared characters for SmallStr and String, else 0
  uint32_t Offset = 0;     // position in the data area
  TVelaFieldKind Kind = TVelaFieldKind::Unknown;
  bool RightAligned = false;
  std::string DefaultValue;
  std::string ExtraText;
  // The description entry exactly as the file held it, kept only when the
  // writer would not build it so from the parts above (no qualifier, another
  // code for the same kind and size, bytes after the code, a lone "~"), so
  // that saving gives the file back as it was. Empty otherwise.
  std::string Entry;
  int Index = 0;           // position in the store's field list
};

// The kind's name as the field-kinds table writes it ("SmallStr", "BLOB", ...).
const char* KindName(TVelaFieldKind kind);
bool KindFromName(std::string_view name, TVelaFieldKind& kind);  // exact, case-sensitive

// Width in the in-memory data area for a kind and declared size.
uint16_t KindDataSize(TVelaFieldKind kind, int size);
// SmallInt, Integer, Int64, Double, Currency, AutoInc.
bool KindRightAligned(TVelaFieldKind kind);
// BLOB, Memo, FmtMemo, Graphic.
inline bool IsBlobKind(TVelaFieldKind kind) {
  return kind == TVelaFieldKind::BLOB || kind == TVelaFieldKind::Memo || kind == TVelaFieldKind::FmtMemo ||
         kind == TVelaFieldKind::Graphic;
}
// A text field of this size: SmallStr up to 35 characters, String above.
TVelaFieldKind TextKindForSize(int size);

// The type code in a field description entry ("l", "i", "s", "K", ...), with
// the decimal size after "s" only when writing.
std::string KindTypeCode(TVelaFieldKind kind, int size);

}  // namespace notarra
