#include "dataset/field_types.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "dataset/dataset.h"
#include "dataset/messages.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"
#include "platform/unaligned.h"

namespace notarra {

using namespace db_messages;

namespace {

std::bitset<256> CharsOf(std::string_view chars) {
  std::bitset<256> set;
  for (char c : chars) set.set(static_cast<unsigned char>(c));
  return set;
}

// The pictures of a numeric field: DisplayFormat for the display form, and
// for the edit form EditFormat, or DisplayFormat when EditFormat is empty.
const std::string& NumericPicture(const TField& f, bool displayText) {
  return (displayText || f.EditFormat().empty()) ? f.DisplayFormat() : f.EditFormat();
}

TTimeStamp StampOf(TFieldType type, TDateTime value) {
  TTimeStamp s = DateTimeToTimeStamp(value);
  if (type == ftTime) s.Date = DateDelta;
  if (type == ftDate) s.Time = 0;
  return s;
}

}  // namespace

// ------------------------------------------------------------- TStringField

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

bool TStringField::GetValue(std::string& value) const {
  std::vector<char> buf(static_cast<std::size_t>(DataSize()) + 1, '\0');
  if (!GetData(buf.data())) return false;
  value.assign(buf.data(), strnlen(buf.data(), static_cast<std::size_t>(DataSize())));
  return true;
}

std::string TStringField::GetAsString() const {
  std::string s;
  return GetValue(s) ? s : std::string();
}

void TStringField::SetAsString(const std::string& value) {
  // Longer texts are cut to Size, as the record holds no more.
  std::vector<char> buf(static_cast<std::size_t>(DataSize()), '\0');
  std::size_t n = std::min(value.size(), static_cast<std::size_t>(Size()));
  std::memcpy(buf.data(), value.data(), n);
  SetData(buf.data());
}

int32_t TStringField::GetAsInteger() const { return StrToInt(GetAsString()); }
int64_t TStringField::GetAsLargeInt() const { return StrToInt64(GetAsString()); }
double TStringField::GetAsFloat() const { return StrToFloat(GetAsString()); }
TDateTime TStringField::GetAsDateTime() const { return StrToDateTime(GetAsString()); }

bool TStringField::GetAsBoolean() const {
  std::string s = GetAsString();
  return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

TVariant TStringField::GetAsVariant() const {
  std::string s;
  if (!GetValue(s)) return Null();
  return TVariant(s);
}

void TStringField::SetVarValue(const TVariant& value) { SetAsString(value.AsString()); }
void TStringField::SetAsInteger(int32_t value) { SetAsString(IntToStr(value)); }
void TStringField::SetAsLargeInt(int64_t value) { SetAsString(IntToStr(value)); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }
void TStringField::SetAsBoolean(bool value) { SetAsString(value ? "T" : "F"); }

// ------------------------------------------------------------ TNumericField

TNumericField::TNumericField(TComponent* owner) : TField(owner) {
  SetAlignment(taRightJustify);
  validChars_ = CharsOf("+-0123456789");
}

// ------------------------------------------------------------ TIntegerField

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner) { SetDataType(ftInteger); }

void TIntegerField::ReadStored(const void* buffer, int32_t& value) const { value = LoadUnaligned<int32_t>(buffer); }
void TIntegerField::WriteStored(void* buffer, int32_t value) const { StoreUnaligned(buffer, value); }

bool TIntegerField::GetValue(int32_t& value) const {
  alignas(8) unsigned char buf[8] = {};
  if (!GetData(buf)) return false;
  ReadStored(buf, value);
  return true;
}

std::string TIntegerField::GetAsString() const {
  int32_t v;
  return GetValue(v) ? IntToStr(v) : std::string();
}

int32_t TIntegerField::GetAsInteger() const {
  int32_t v;
  return GetValue(v) ? v : 0;
}

int64_t TIntegerField::GetAsLargeInt() const { return GetAsInteger(); }
double TIntegerField::GetAsFloat() const { return GetAsInteger(); }

TVariant TIntegerField::GetAsVariant() const {
  int32_t v;
  if (!GetValue(v)) return Null();
  return TVariant(v);
}

void TIntegerField::GetText(std::string& text, bool displayText) const {
  int32_t v;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  const std::string& picture = NumericPicture(*this, displayText);
  text = picture.empty() ? IntToStr(v) : FormatFloat(picture, v);
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  int64_t lo = minValue_ != 0 || maxValue_ != 0 ? minValue_ : StorageMin();
  int64_t hi = minValue_ != 0 || maxValue_ != 0 ? maxValue_ : StorageMax();
  if (value < lo || value > hi) RangeError(IntToStr(value), IntToStr(lo), IntToStr(hi));
  alignas(8) unsigned char buf[8] = {};
  WriteStored(buf, static_cast<int32_t>(value));
  SetData(buf);
}

void TIntegerField::SetAsInteger(int32_t value) { SetAsLargeInt(value); }

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18) RangeError(FloatToStr(value), IntToStr(StorageMin()), IntToStr(StorageMax()));
  SetAsLargeInt(std::llround(value));
}

void TIntegerField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  int64_t v;
  if (!TryStrToInt64(value, v)) throw EConvertError(Format("'%s' is not a valid integer value", value.c_str()));
  SetAsLargeInt(v);
}

void TIntegerField::SetVarValue(const TVariant& value) {
  if (value.VarType() == varString) {
    SetAsString(value.AsString());
    return;
  }
  SetAsLargeInt(value.AsInt64());
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) { SetDataType(ftSmallint); }

void TSmallintField::ReadStored(const void* buffer, int32_t& value) const {
  value = LoadUnaligned<int16_t>(buffer);
}

void TSmallintField::WriteStored(void* buffer, int32_t value) const {
  StoreUnaligned(buffer, static_cast<int16_t>(value));
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner) { SetDataType(ftWord); }

void TWordField::ReadStored(const void* buffer, int32_t& value) const {
  value = LoadUnaligned<uint16_t>(buffer);
}

void TWordField::WriteStored(void* buffer, int32_t value) const {
  StoreUnaligned(buffer, static_cast<uint16_t>(value));
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) { SetDataType(ftAutoInc); }

// ----------------------------------------------------------- TLargeintField

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner) { SetDataType(ftLargeint); }

bool TLargeintField::GetValue(int64_t& value) const {
  alignas(8) unsigned char buf[8] = {};
  if (!GetData(buf)) return false;
  value = LoadUnaligned<int64_t>(buf);
  return true;
}

std::string TLargeintField::GetAsString() const {
  int64_t v;
  return GetValue(v) ? IntToStr(v) : std::string();
}

int64_t TLargeintField::GetAsLargeInt() const {
  int64_t v;
  return GetValue(v) ? v : 0;
}

int32_t TLargeintField::GetAsInteger() const {
  int64_t v = GetAsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) RangeError(IntToStr(v), IntToStr(INT32_MIN), IntToStr(INT32_MAX));
  return static_cast<int32_t>(v);
}

double TLargeintField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

TVariant TLargeintField::GetAsVariant() const {
  int64_t v;
  if (!GetValue(v)) return Null();
  return TVariant(v);
}

void TLargeintField::GetText(std::string& text, bool displayText) const {
  int64_t v;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  const std::string& picture = NumericPicture(*this, displayText);
  text = picture.empty() ? IntToStr(v) : FormatFloat(picture, static_cast<double>(v));
}

void TLargeintField::SetAsLargeInt(int64_t value) { SetData(&value); }

void TLargeintField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18)
    RangeError(FloatToStr(value), IntToStr(INT64_MIN), IntToStr(INT64_MAX));
  SetAsLargeInt(std::llround(value));
}

void TLargeintField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsLargeInt(StrToInt64(value));
}

void TLargeintField::SetVarValue(const TVariant& value) {
  if (value.VarType() == varString)
    SetAsString(value.AsString());
  else
    SetAsLargeInt(value.AsInt64());
}

// -------------------------------------------------------------- TFloatField

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftFloat);
  validChars_ = CharsOf("+-0123456789Ee");
}

bool TFloatField::IsValidChar(char c) const {
  return TField::IsValidChar(c) || c == FormatSettings().DecimalSeparator;
}

void TFloatField::SetPrecision(int value) {
  if (value < 2) value = 2;
  if (value > 15) value = 15;
  precision_ = value;
  PropertyChanged(false);
}

bool TFloatField::GetValue(double& value) const {
  alignas(8) unsigned char buf[8] = {};
  if (!GetData(buf)) return false;
  value = LoadUnaligned<double>(buf);
  return true;
}

std::string TFloatField::GetAsString() const {
  double v;
  return GetValue(v) ? FloatToStr(v) : std::string();
}

double TFloatField::GetAsFloat() const {
  double v;
  return GetValue(v) ? v : 0.0;
}

int32_t TFloatField::GetAsInteger() const {
  double v = std::round(GetAsFloat());
  if (!(v >= INT32_MIN && v <= INT32_MAX)) RangeError(FloatToStr(v), IntToStr(INT32_MIN), IntToStr(INT32_MAX));
  return static_cast<int32_t>(v);
}

int64_t TFloatField::GetAsLargeInt() const {
  double v = std::round(GetAsFloat());
  if (!(std::fabs(v) < 9.2e18)) RangeError(FloatToStr(v), IntToStr(INT64_MIN), IntToStr(INT64_MAX));
  return static_cast<int64_t>(v);
}

TVariant TFloatField::GetAsVariant() const {
  double v;
  if (!GetValue(v)) return Null();
  return TVariant(v);
}

void TFloatField::GetText(std::string& text, bool displayText) const {
  double v;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  std::string picture = NumericPicture(*this, displayText);
  if (picture.empty() && Currency()) picture = displayText ? "#,##0.00" : "0.00";
  if (!picture.empty()) {
    text = FormatFloat(picture, v);
  } else if (precision_ >= 15) {
    text = FloatToStr(v);
  } else {
    // Fewer significant digits: round first, then the usual shortest form.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision_, v);
    text = FloatToStr(std::strtod(buf, nullptr));
  }
}

void TFloatField::SetAsFloat(double value) {
  if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_))
    RangeError(FloatToStr(value), FloatToStr(minValue_), FloatToStr(maxValue_));
  SetData(&value);
}

void TFloatField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsFloat(StrToFloat(value));
}

void TFloatField::SetVarValue(const TVariant& value) {
  if (value.VarType() == varString)
    SetAsString(value.AsString());
  else
    SetAsFloat(value.AsFloat());
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}

// ------------------------------------------------------------ TBooleanField

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const std::string& value) {
  displayValues_ = value;
  auto semi = value.find(';');
  if (value.empty()) {
    trueText_ = "True";
    falseText_ = "False";
  } else if (semi == std::string::npos) {
    trueText_ = value;
    falseText_.clear();
  } else {
    trueText_ = value.substr(0, semi);
    falseText_ = value.substr(semi + 1);
  }
  PropertyChanged(true);
}

int TBooleanField::DefaultWidth() const {
  return static_cast<int>(std::max(trueText_.size(), falseText_.size()));
}

bool TBooleanField::GetValue(bool& value) const {
  int16_t v = 0;
  if (!GetData(&v)) return false;
  value = v != 0;
  return true;
}

std::string TBooleanField::GetAsString() const {
  bool v;
  if (!GetValue(v)) return std::string();
  return v ? trueText_ : falseText_;
}

bool TBooleanField::GetAsBoolean() const {
  bool v;
  return GetValue(v) && v;
}

int32_t TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }

TVariant TBooleanField::GetAsVariant() const {
  bool v;
  if (!GetValue(v)) return Null();
  return TVariant(v);
}

void TBooleanField::SetAsBoolean(bool value) {
  int16_t v = value ? -1 : 0;
  SetData(&v);
}

void TBooleanField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  // The text, or a leading part of it, of either display value.
  auto matches = [&](const std::string& text) {
    return !text.empty() && value.size() <= text.size() && AnsiSameText(text.substr(0, value.size()), value);
  };
  if (matches(falseText_))
    SetAsBoolean(false);
  else if (matches(trueText_))
    SetAsBoolean(true);
  else
    DatabaseErrorFmt(nullptr, kInvalidBoolValue, value.c_str());
}

void TBooleanField::SetVarValue(const TVariant& value) {
  if (value.VarType() == varString)
    SetAsString(value.AsString());
  else
    SetAsBoolean(value.AsBoolean());
}

// ----------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }
TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }

bool TDateTimeField::GetValue(TDateTime& value) const {
  alignas(8) unsigned char buf[8] = {};
  if (!GetData(buf)) return false;
  TTimeStamp s;
  switch (DataType()) {
    case ftDate:
      s.Date = LoadUnaligned<int32_t>(buf);
      s.Time = 0;
      break;
    case ftTime:
      s.Time = LoadUnaligned<int32_t>(buf);
      s.Date = DateDelta;
      break;
    default: {
      s = MSecsToTimeStamp(LoadUnaligned<double>(buf));
      break;
    }
  }
  value = TimeStampToDateTime(s);
  return true;
}

TDateTime TDateTimeField::GetAsDateTime() const {
  TDateTime v;
  return GetValue(v) ? v : 0.0;
}

double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }

std::string TDateTimeField::GetAsString() const {
  std::string text;
  GetText(text, false);
  return text;
}

TVariant TDateTimeField::GetAsVariant() const {
  TDateTime v;
  if (!GetValue(v)) return Null();
  return VarFromDateTime(v);
}

void TDateTimeField::GetText(std::string& text, bool displayText) const {
  TDateTime v;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  if (displayText && !DisplayFormat().empty()) {
    text = FormatDateTime(DisplayFormat(), v);
    return;
  }
  switch (DataType()) {
    case ftDate: text = DateToStr(v); break;
    case ftTime: text = TimeToStr(v); break;
    default: text = DateTimeToStr(v); break;
  }
}

void TDateTimeField::SetAsDateTime(TDateTime value) {
  TTimeStamp s = StampOf(DataType(), value);
  switch (DataType()) {
    case ftDate: SetData(&s.Date); break;
    case ftTime: SetData(&s.Time); break;
    default: {
      double ms = TimeStampToMSecs(s);
      SetData(&ms);
      break;
    }
  }
}

void TDateTimeField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  switch (DataType()) {
    case ftDate: SetAsDateTime(StrToDate(value)); break;
    case ftTime: SetAsDateTime(StrToTime(value)); break;
    default: SetAsDateTime(StrToDateTime(value)); break;
  }
}

void TDateTimeField::SetVarValue(const TVariant& value) {
  if (value.VarType() == varString)
    SetAsString(value.AsString());
  else
    SetAsDateTime(value.AsDateTime());
}

// --------------------------------------------------------------- TBlobField

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }
TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

std::string TBlobField::GetAsString() const {
  if (DataSet() == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  std::string result(static_cast<std::size_t>(stream->Size()), '\0');
  stream->SetPosition(0);
  if (!result.empty()) stream->ReadBuffer(result.data(), result.size());
  return result;
}

void TBlobField::SetAsString(const std::string& value) {
  if (DataSet() == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(this, bmWrite);
  stream->SetSize(0);
  if (!value.empty()) stream->WriteBuffer(value.data(), value.size());
}

int64_t TBlobField::BlobSize() const {
  if (DataSet() == nullptr) DatabaseErrorFmt(nullptr, kDataSetMissing, DisplayName().c_str());
  return DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead)->Size();
}

void TBlobField::LoadFromStream(TStream& stream) {
  std::string data(static_cast<std::size_t>(stream.Size() - stream.Position()), '\0');
  if (!data.empty()) stream.ReadBuffer(data.data(), data.size());
  SetAsString(data);
}

void TBlobField::SaveToStream(TStream& stream) const {
  std::string data = GetAsString();
  if (!data.empty()) stream.WriteBuffer(data.data(), data.size());
}

TVariant TBlobField::GetAsVariant() const {
  if (IsNull()) return Null();
  return TVariant(GetAsString());
}

void TBlobField::SetVarValue(const TVariant& value) { SetAsString(value.AsString()); }

void TBlobField::GetText(std::string& text, bool) const {
  std::string name = FieldTypeName(DataType());
  text = "(" + (IsNull() ? name : AnsiUpperCase(name)) + ")";
}

// ------------------------------------------------------------------ factory

std::unique_ptr<TField> CreateFieldOfType(TFieldType type, TComponent* owner) {
  switch (type) {
    case ftString: return std::make_unique<TStringField>(owner);
    case ftSmallint: return std::make_unique<TSmallintField>(owner);
    case ftInteger: return std::make_unique<TIntegerField>(owner);
    case ftWord: return std::make_unique<TWordField>(owner);
    case ftBoolean: return std::make_unique<TBooleanField>(owner);
    case ftFloat: return std::make_unique<TFloatField>(owner);
    case ftCurrency: return std::make_unique<TCurrencyField>(owner);
    case ftDate: return std::make_unique<TDateField>(owner);
    case ftTime: return std::make_unique<TTimeField>(owner);
    case ftDateTime: return std::make_unique<TDateTimeField>(owner);
    case ftAutoInc: return std::make_unique<TAutoIncField>(owner);
    case ftLargeint: return std::make_unique<TLargeintField>(owner);
    case ftBlob: return std::make_unique<TBlobField>(owner);
    case ftMemo: return std::make_unique<TMemoField>(owner);
    case ftFmtMemo: {
      auto f = std::make_unique<TMemoField>(owner);
      f->SetBlobType(ftFmtMemo);
      return f;
    }
    case ftGraphic: return std::make_unique<TGraphicField>(owner);
    default: return nullptr;
  }
}

}  // namespace notarra
