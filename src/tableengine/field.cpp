#include "tableengine/field.h"

#include <array>

namespace notarra {

namespace {

constexpr std::array<const char*, 17> kKindNames = {
    "Unknown", "SmallInt", "Integer", "Int64", "Boolean", "Double", "Currency", "Date",    "Time",
    "DateTime", "AutoInc", "SmallStr", "String", "BLOB",   "Memo",   "FmtMemo",  "Graphic"};

}  // namespace

const char* KindName(TVelaFieldKind kind) {
  auto i = static_cast<std::size_t>(kind);
  return i < kKindNames.size() ? kKindNames[i] : "Unknown";
}

bool KindFromName(std::string_view name, TVelaFieldKind& kind) {
  for (std::size_t i = 0; i < kKindNames.size(); ++i) {
    if (name == kKindNames[i]) {
      kind = static_cast<TVelaFieldKind>(i);
      return true;
    }
  }
  return false;
}

uint16_t KindDataSize(TVelaFieldKind kind, int size) {
  switch (kind) {
    case TVelaFieldKind::Unknown: return 0;
    case TVelaFieldKind::SmallInt:
    case TVelaFieldKind::Boolean: return 2;
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::AutoInc: return 4;
    case TVelaFieldKind::Int64:
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: return 8;
    case TVelaFieldKind::SmallStr: return static_cast<uint16_t>(size + 1);
    case TVelaFieldKind::String: return sizeof(char*);
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo:
    case TVelaFieldKind::Graphic: return sizeof(uint8_t*) + sizeof(uint32_t);
  }
  return 0;
}

bool KindRightAligned(TVelaFieldKind kind) {
  switch (kind) {
    case TVelaFieldKind::SmallInt:
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Int64:
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::AutoInc: return true;
    default: return false;
  }
}


TVelaFieldKind TextKindForSize(int size) {
  return size <= kMaxSmallStrSize ? TVelaFieldKind::SmallStr : TVelaFieldKind::String;
}

std::string KindTypeCode(TVelaFieldKind kind, int size) {
  switch (kind) {
    case TVelaFieldKind::SmallInt: return "l";
    case TVelaFieldKind::Integer: return "i";
    case TVelaFieldKind::Int64: return "e";
    case TVelaFieldKind::Boolean: return "b";
    case TVelaFieldKind::Double: return "f";
    case TVelaFieldKind::Currency: return "c";
    case TVelaFieldKind::Date: return "d";
    case TVelaFieldKind::Time: return "v";
    case TVelaFieldKind::DateTime: return "t";
    case TVelaFieldKind::AutoInc: return "a";
    case TVelaFieldKind::String: return "s" + std::to_string(size);
    case TVelaFieldKind::BLOB: return "o";
    case TVelaFieldKind::Memo: return "m";
    case TVelaFieldKind::FmtMemo: return "r";
    case TVelaFieldKind::Graphic: return "g";
    case TVelaFieldKind::SmallStr:
      // Base-36 digit for 1..35; a larger size read from a file through the
      // fallback rule (byte value - 55) is written back with the same byte.
      if (size <= 9) return std::string(1, static_cast<char>('0' + size));
      return std::string(1, static_cast<char>(size + 55));
    case TVelaFieldKind::Unknown:
      // Never holds a value; "0" reads back as an always-empty text field.
      return "0";
  }
  return "0";
}

}  // namespace notarra
