#include "tableengine/record_values.h"

#include <algorithm>
#include <string>

#include "tableengine/data_area.h"

namespace notarra {

namespace record_values {

int64_t GetInteger(const uint8_t* data, const TVelaField& f) {
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: return data_area::Load<int16_t>(data, f);
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time: return data_area::Load<int32_t>(data, f);
    case TVelaFieldKind::Int64: return data_area::Load<int64_t>(data, f);
    default: return 0;
  }
}

void SetInteger(uint8_t* data, const TVelaField& f, int64_t value) {
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: data_area::Store<int16_t>(data, f, static_cast<int16_t>(value)); break;
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc:
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time: data_area::Store<int32_t>(data, f, static_cast<int32_t>(value)); break;
    case TVelaFieldKind::Int64: data_area::Store<int64_t>(data, f, value); break;
    default: break;
  }
}

bool GetBoolean(const uint8_t* data, const TVelaField& f) {
  return f.Kind == TVelaFieldKind::Boolean && data_area::Load<int16_t>(data, f) != 0;
}

void SetBoolean(uint8_t* data, const TVelaField& f, bool value) {
  if (f.Kind == TVelaFieldKind::Boolean) data_area::Store<int16_t>(data, f, value ? int16_t(-1) : int16_t(0));
}

double GetFloat(const uint8_t* data, const TVelaField& f) {
  switch (f.Kind) {
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: return data_area::Load<double>(data, f);
    default: return 0;
  }
}

void SetFloat(uint8_t* data, const TVelaField& f, double value) {
  switch (f.Kind) {
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency:
    case TVelaFieldKind::DateTime: data_area::Store<double>(data, f, value); break;
    default: break;
  }
}

std::string_view GetText(const uint8_t* data, const TVelaField& f) {
  if (f.Kind == TVelaFieldKind::SmallStr) return data_area::SmallText(data, f);
  if (f.Kind == TVelaFieldKind::String) return data_area::Text(data, f);
  if (IsBlobKind(f.Kind)) return data_area::Blob(data, f);
  return {};
}

void SetText(uint8_t* data, const TVelaField& f, std::string_view value) {
  if (f.Kind == TVelaFieldKind::SmallStr || f.Kind == TVelaFieldKind::String) data_area::SetText(data, f, value);
  else if (IsBlobKind(f.Kind)) data_area::SetBlob(data, f, value);
}

void SetWholeText(uint8_t* data, const TVelaField& f, std::string_view value) {
  if (f.Kind != TVelaFieldKind::String) return SetText(data, f, value);
  data_area::ClearField(data, f);
  value = value.substr(0, std::min<std::size_t>(value.size(), kMaxStringLength));
  if (!value.empty()) data_area::Store<const char*>(data, f, data_area::NewText(value));
}

TDateTime GetDateTime(const uint8_t* data, const TVelaField& f) {
  switch (f.Kind) {
    case TVelaFieldKind::Date: return TimeStampToDateTime(TTimeStamp{0, data_area::Load<int32_t>(data, f)});
    case TVelaFieldKind::Time: return TimeStampToDateTime(TTimeStamp{data_area::Load<int32_t>(data, f), DateDelta});
    case TVelaFieldKind::DateTime: return TimeStampToDateTime(MSecsToTimeStamp(data_area::Load<double>(data, f)));
    default: return 0;
  }
}

TVariant GetVariant(const uint8_t* data, const TVelaField& f) {
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: return data_area::Load<int16_t>(data, f);
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc: return data_area::Load<int32_t>(data, f);
    case TVelaFieldKind::Int64: return data_area::Load<int64_t>(data, f);
    case TVelaFieldKind::Boolean: return GetBoolean(data, f);
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: return data_area::Load<double>(data, f);
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::DateTime: return VarFromDateTime(GetDateTime(data, f));
    case TVelaFieldKind::SmallStr:
    case TVelaFieldKind::String: return std::string(GetText(data, f));
    default: return Null();
  }
}

}  // namespace record_values

}  // namespace notarra
