// TVariant: the loosely typed value that fields, Locate and Lookup exchange.
// It is unassigned, null, a Boolean, a 32- or 64-bit integer, a double, a
// date-time (a double counting days from 30 December 1899, marked as a
// date), a single-byte text, or an array of variants (several key values,
// several lookup results).
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/date_time.h"
#include "platform/exceptions.h"

namespace notarra {

enum TVarType { varEmpty, varNull, varBoolean, varInteger, varInt64, varDouble, varDate, varString, varArray };

// A variant that cannot be converted to the type asked for.
class EVariantError : public Exception {
public:
  using Exception::Exception;
};

class TVariant {
public:
  TVariant() = default;
  TVariant(bool value) : type_(varBoolean), int_(value ? 1 : 0) {}
  template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
  TVariant(T value) {
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>))
      type_ = varInteger;
    else
      type_ = varInt64;
    int_ = static_cast<int64_t>(value);
  }
  TVariant(double value) : type_(varDouble), double_(value) {}
  TVariant(const char* value) : type_(varString), string_(value) {}
  TVariant(std::string value) : type_(varString), string_(std::move(value)) {}
  TVariant(std::vector<TVariant> values) : type_(varArray), array_(std::move(values)) {}

  static TVariant Null() { TVariant v; v.type_ = varNull; return v; }
  static TVariant Unassigned() { return TVariant(); }
  static TVariant FromDateTime(TDateTime value) { TVariant v(value); v.type_ = varDate; return v; }

  TVarType VarType() const { return type_; }
  bool IsNull() const { return type_ == varNull; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsArray() const { return type_ == varArray; }
  bool IsNumeric() const { return type_ == varBoolean || type_ == varInteger || type_ == varInt64 || type_ == varDouble || type_ == varDate; }

  // Conversions; null and unassigned raise EVariantError, as does text that is not a value.
  bool AsBoolean() const;
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsFloat() const;
  TDateTime AsDateTime() const;
  // Null and unassigned give an empty text (VarToStr).
  std::string AsString() const;

  // Array access; Count is 0 for a variant that is not an array.
  int Count() const { return static_cast<int>(array_.size()); }
  const TVariant& operator[](int index) const { return array_.at(static_cast<std::size_t>(index)); }
  TVariant& operator[](int index) { return array_.at(static_cast<std::size_t>(index)); }
  const std::vector<TVariant>& Elements() const { return array_; }

  // VarSameValue: equal nulls, equal numbers whatever their width, equal
  // texts; a text and a number compare as numbers when the text is one.
  bool operator==(const TVariant& other) const;

private:
  TVarType type_ = varEmpty;
  int64_t int_ = 0;
  double double_ = 0;
  std::string string_;
  std::vector<TVariant> array_;
};

inline TVariant Null() { return TVariant::Null(); }
inline TVariant Unassigned() { return TVariant::Unassigned(); }
inline TVariant VarArrayOf(std::initializer_list<TVariant> values) { return TVariant(std::vector<TVariant>(values)); }
inline TVariant VarFromDateTime(TDateTime value) { return TVariant::FromDateTime(value); }
inline bool VarIsNull(const TVariant& v) { return v.IsNull(); }
inline bool VarIsEmpty(const TVariant& v) { return v.IsEmpty(); }
inline bool VarIsArray(const TVariant& v) { return v.IsArray(); }
// Null or unassigned: no value at all.
inline bool VarIsClear(const TVariant& v) { return v.IsNull() || v.IsEmpty(); }
inline int VarArrayHighBound(const TVariant& v) { return v.Count() - 1; }
inline TVarType VarType(const TVariant& v) { return v.VarType(); }
std::string VarToStr(const TVariant& v);
bool VarSameValue(const TVariant& a, const TVariant& b);
// Ordering for sorting and searching: nulls and unassigned first, then by
// value; numbers against numbers, texts bytewise, mixed by their texts.
int VarCompareValue(const TVariant& a, const TVariant& b);
// The value converted to another type (EVariantError when it cannot be).
TVariant VarAsType(const TVariant& v, TVarType type);
const char* VarTypeName(TVarType type);

}  // namespace notarra
