// The comparison of two stored values of one field, inline because sorting a
// million records calls it tens of millions of times.
#pragma once

#include <cstring>
#include <string_view>

#include "tableengine/data_area.h"

namespace notarra {

namespace value_compare {

// Empty texts first; then the common prefix byte by byte (unsigned) or with
// the locale's case-insensitive comparison; then the shorter text first.
int CompareText(std::string_view a, std::string_view b, bool caseInsensitive);

template <typename T>
inline int Sign(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

inline int Compare(const uint8_t* a, const uint8_t* b, const TVelaField& f, bool caseInsensitive) {
  using data_area::Load;
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: return Sign(Load<int16_t>(a, f), Load<int16_t>(b, f));
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::AutoInc: return Sign(Load<int32_t>(a, f), Load<int32_t>(b, f));
    case TVelaFieldKind::Int64: return Sign(Load<int64_t>(a, f), Load<int64_t>(b, f));
    case TVelaFieldKind::Boolean: {
      bool ta = Load<int16_t>(a, f) != 0, tb = Load<int16_t>(b, f) != 0;
      return ta == tb ? 0 : (ta ? -1 : 1);  // true first
    }
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: return Sign(Load<double>(a, f), Load<double>(b, f));
    case TVelaFieldKind::SmallStr: {
      std::string_view ta = data_area::SmallText(a, f), tb = data_area::SmallText(b, f);
      if (f.RightAligned && ta.size() != tb.size()) return ta.size() < tb.size() ? -1 : 1;
      return CompareText(ta, tb, caseInsensitive);
    }
    case TVelaFieldKind::String: {
      const char* ta = data_area::TextRef(a, f);
      const char* tb = data_area::TextRef(b, f);
      if (!ta || !tb) return (ta ? 1 : 0) - (tb ? 1 : 0);
      return CompareText({ta, data_area::TextLength(ta)}, {tb, data_area::TextLength(tb)}, caseInsensitive);
    }
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: {
      const uint8_t* ba = data_area::BlobRef(a, f);
      const uint8_t* bb = data_area::BlobRef(b, f);
      if (!ba || !bb) return (ba ? 1 : 0) - (bb ? 1 : 0);
      uint32_t la = data_area::BlobLength(a, f), lb = data_area::BlobLength(b, f);
      if (la == 0 || lb == 0) return Sign(la, lb);
      return CompareText({reinterpret_cast<const char*>(ba), la}, {reinterpret_cast<const char*>(bb), lb},
                         caseInsensitive);
    }
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic:
    case TVelaFieldKind::Unknown: return 0;
  }
  return 0;
}

}  // namespace value_compare

}  // namespace notarra
