#include "dataset/variant.h"

#include <cmath>
#include <limits>

#include "platform/conversions.h"

namespace notarra {

namespace {

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EVariantError(Format("Could not convert variant of type (%s) into type (%s)", VarTypeName(from), VarTypeName(to)));
}

bool TextToBool(const std::string& s, bool& out) {
  if (s == "True" || s == "true" || s == "TRUE") { out = true; return true; }
  if (s == "False" || s == "false" || s == "FALSE") { out = false; return true; }
  int64_t i;
  if (TryStrToInt64(s, i)) { out = i != 0; return true; }
  return false;
}

}  // namespace

const char* VarTypeName(TVarType type) {
  switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varBoolean: return "Boolean";
    case varInteger: return "Integer";
    case varInt64: return "Int64";
    case varDouble: return "Double";
    case varDate: return "Date";
    case varString: return "String";
    case varArray: return "Array";
  }
  return "Unknown";
}

bool TVariant::AsBoolean() const {
  switch (type_) {
    case varBoolean: case varInteger: case varInt64: return int_ != 0;
    case varDouble: case varDate: return double_ != 0;
    case varString: {
      bool b;
      if (TextToBool(string_, b)) return b;
      break;
    }
    default: break;
  }
  CastError(type_, varBoolean);
}

int64_t TVariant::AsInt64() const {
  switch (type_) {
    case varBoolean: return int_ != 0 ? -1 : 0;
    case varInteger: case varInt64: return int_;
    case varDouble: case varDate:
      if (std::isfinite(double_) && std::fabs(double_) < 9.2e18) return std::llround(double_);
      break;
    case varString: {
      int64_t i;
      if (TryStrToInt64(string_, i)) return i;
      double d;
      if (TryStrToFloat(string_, d) && std::fabs(d) < 9.2e18) return std::llround(d);
      break;
    }
    default: break;
  }
  CastError(type_, varInt64);
}

int32_t TVariant::AsInteger() const {
  int64_t v;
  try {
    v = AsInt64();
  } catch (const EVariantError&) {
    CastError(type_, varInteger);
  }
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) CastError(type_, varInteger);
  return static_cast<int32_t>(v);
}

double TVariant::AsFloat() const {
  switch (type_) {
    case varBoolean: return int_ != 0 ? -1.0 : 0.0;
    case varInteger: case varInt64: return static_cast<double>(int_);
    case varDouble: case varDate: return double_;
    case varString: {
      double d;
      if (TryStrToFloat(string_, d)) return d;
      break;
    }
    default: break;
  }
  CastError(type_, varDouble);
}

TDateTime TVariant::AsDateTime() const {
  if (type_ == varString) {
    TDateTime d;
    if (TryStrToDateTime(string_, d)) return d;
    CastError(type_, varDate);
  }
  try {
    return AsFloat();
  } catch (const EVariantError&) {
    CastError(type_, varDate);
  }
}

std::string TVariant::AsString() const {
  switch (type_) {
    case varEmpty: case varNull: return std::string();
    case varBoolean: return int_ != 0 ? "True" : "False";
    case varInteger: case varInt64: return IntToStr(int_);
    case varDouble: return FloatToStr(double_);
    case varDate: return DateTimeToStr(double_);
    case varString: return string_;
    case varArray: break;
  }
  CastError(type_, varString);
}

std::string VarToStr(const TVariant& v) { return v.AsString(); }

bool VarSameValue(const TVariant& a, const TVariant& b) {
  if (a.VarType() == varEmpty || b.VarType() == varEmpty) return a.VarType() == b.VarType();
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  if (a.IsArray() || b.IsArray()) {
    if (!a.IsArray() || !b.IsArray() || a.Count() != b.Count()) return false;
    for (int i = 0; i < a.Count(); ++i)
      if (!VarSameValue(a[i], b[i])) return false;
    return true;
  }
  return VarCompareValue(a, b) == 0;
}

bool TVariant::operator==(const TVariant& other) const { return VarSameValue(*this, other); }

int VarCompareValue(const TVariant& a, const TVariant& b) {
  auto rank = [](const TVariant& v) { return VarIsClear(v) ? 0 : 1; };
  if (rank(a) == 0 || rank(b) == 0) return rank(a) - rank(b);
  auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (a.IsArray() || b.IsArray()) {
    int n = std::min(a.Count(), b.Count());
    for (int i = 0; i < n; ++i)
      if (int c = VarCompareValue(a[i], b[i]); c != 0) return c;
    return sign(a.Count(), b.Count());
  }
  if (a.VarType() == varString && b.VarType() == varString) return sign(a.AsString(), b.AsString());
  bool aInt = a.VarType() == varInteger || a.VarType() == varInt64 || a.VarType() == varBoolean;
  bool bInt = b.VarType() == varInteger || b.VarType() == varInt64 || b.VarType() == varBoolean;
  if (aInt && bInt) return sign(a.AsInt64(), b.AsInt64());
  // A text against a number: as numbers when the text is one, else as texts.
  double x, y;
  bool ax = a.VarType() != varString || TryStrToFloat(a.AsString(), x);
  bool by = b.VarType() != varString || TryStrToFloat(b.AsString(), y);
  if (ax && by) return sign(a.AsFloat(), b.AsFloat());
  return sign(a.AsString(), b.AsString());
}

TVariant VarAsType(const TVariant& v, TVarType type) {
  if (v.VarType() == type) return v;
  switch (type) {
    case varEmpty: return TVariant();
    case varNull: return Null();
    case varBoolean: return TVariant(v.AsBoolean());
    case varInteger: return TVariant(v.AsInteger());
    case varInt64: return TVariant(v.AsInt64());
    case varDouble: return TVariant(v.AsFloat());
    case varDate: return TVariant::FromDateTime(v.AsDateTime());
    case varString: return TVariant(v.AsString());
    case varArray: break;
  }
  throw EVariantError(Format("Could not convert variant of type (%s) into type (%s)", VarTypeName(v.VarType()), VarTypeName(type)));
}

}  // namespace notarra
