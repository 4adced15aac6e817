// Comparison of stored values and conversion between text and stored values,
// shared by ordering, searching and filtering.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "tableengine/data_area.h"
#include "tableengine/record_store.h"
#include "tableengine/record_values.h"
#include "tableengine/value_compare.h"

namespace notarra {

namespace value_compare {

int CompareText(std::string_view a, std::string_view b, bool caseInsensitive) {
  if (a.empty() || b.empty()) return static_cast<int>(a.size()) - static_cast<int>(b.size());
  // Without case, base letters decide over both whole texts before accents
  // do: comparing accents within the common prefix first gives no consistent
  // order ("eb" < "\xE9" < "\xE9a" < "eb"), which no sort can work with.
  if (caseInsensitive) return AnsiCompareText(a, b);
  std::size_t n = std::min(a.size(), b.size());
  int c = std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace value_compare

int TVelaCursor::CompareValues(const uint8_t* a, const uint8_t* b, const TVelaField& f, bool caseInsensitive) const {
  return value_compare::Compare(a, b, f, caseInsensitive);
}

int TVelaCursor::CompareRecords(const uint8_t* a, const uint8_t* b, std::span<const TVelaField* const> fields,
                                int count) const {
  std::size_t n = count < 0 ? fields.size() : std::min<std::size_t>(count, fields.size());
  for (std::size_t i = 0; i < n; ++i) {
    int c = value_compare::Compare(a, b, *fields[i], false);
    if (c != 0) return c;
  }
  return 0;
}

void TVelaCursor::TextToValue(std::string_view text, const TVelaField& f, uint8_t* data) const {
  using data_area::Store;
  data_area::ClearField(data, f);
  if (text.empty()) return;
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: {
      int32_t v = 0;
      if (TryStrToInt(text, v)) Store<int16_t>(data, f, static_cast<int16_t>(v & 0xFFFF));
      break;
    }
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc: {
      int32_t v = 0;
      if (TryStrToInt(text, v)) Store<int32_t>(data, f, v);
      break;
    }
    case TVelaFieldKind::Int64: {
      int64_t v = 0;
      if (TryStrToInt64(text, v)) Store<int64_t>(data, f, v);
      break;
    }
    case TVelaFieldKind::Boolean: {
      std::string up = AnsiUpperCase(text);
      bool yes = up == "TRUE" || up == "YES" || up == "T" || up == "1" || up == "\xC4\xC0";
      Store<int16_t>(data, f, yes ? int16_t(-1) : int16_t(0));
      break;
    }
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: {
      double v = 0;
      if (TryStrToFloat(text, v)) Store<double>(data, f, v);
      break;
    }
    case TVelaFieldKind::Date: {
      TDateTime v;
      if (TryStrToDate(text, v)) Store<int32_t>(data, f, DateTimeToTimeStamp(v).Date);
      break;
    }
    case TVelaFieldKind::Time: {
      TDateTime v;
      if (TryStrToTime(text, v)) Store<int32_t>(data, f, DateTimeToTimeStamp(v).Time);
      break;
    }
    case TVelaFieldKind::DateTime: {
      TDateTime v;
      if (TryStrToDateTime(text, v)) Store<double>(data, f, TimeStampToMSecs(DateTimeToTimeStamp(v)));
      break;
    }
    case TVelaFieldKind::SmallStr:
    case TVelaFieldKind::String: data_area::SetText(data, f, text); break;
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: {
      // The literal is cut to the descriptor's size, which is 0 for memos: an
      // existing block of length 0, which compares unequal to every stored memo.
      auto* block = static_cast<uint8_t*>(std::malloc(1));
      if (!block) throw std::bad_alloc();
      Store<uint8_t*>(data, f, block);
      break;
    }
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic:
    case TVelaFieldKind::Unknown: break;
  }
}

std::string TVelaCursor::ValueToText(const uint8_t* data, const TVelaField& f) const {
  using data_area::Load;
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: return IntToStr(Load<int16_t>(data, f));
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc: return IntToStr(Load<int32_t>(data, f));
    case TVelaFieldKind::Int64: return IntToStr(Load<int64_t>(data, f));
    case TVelaFieldKind::Boolean: return Load<int16_t>(data, f) != 0 ? "Yes" : "No";
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: return FormatFloat("0.######", Load<double>(data, f));
    case TVelaFieldKind::Date:
      if (Load<int32_t>(data, f) <= 0) return {};
      return DateToStr(record_values::GetDateTime(data, f));
    case TVelaFieldKind::Time:
      if (Load<int32_t>(data, f) <= 0) return {};
      return TimeToStr(record_values::GetDateTime(data, f));
    case TVelaFieldKind::DateTime:
      if (!(Load<double>(data, f) > 0)) return {};
      return DateTimeToStr(record_values::GetDateTime(data, f));
    case TVelaFieldKind::SmallStr: return std::string(data_area::SmallText(data, f));
    case TVelaFieldKind::String: return std::string(data_area::Text(data, f));
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: return std::string(data_area::Blob(data, f));
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic:
    case TVelaFieldKind::Unknown: return "Not Found";
  }
  return {};
}

}  // namespace notarra
