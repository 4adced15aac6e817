#include "tools/field_values.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "platform/codepage.h"
#include "platform/date_time.h"
#include "platform/text.h"
#include "tableengine/record_values.h"
#include "tools/base64.h"
#include "tools/json.h"
#include "tools/utf8.h"

namespace notarra {

namespace {

constexpr int32_t kFirstDay = 1;          // 0001-01-01
constexpr int32_t kLastDay = 3652059;     // 9999-12-31
constexpr int64_t kLongestBlob = 1073741823;


// Whole text as a decimal integer; a leading "+" is allowed in cells.
bool ParseInteger(std::string_view s, int64_t& out) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.front() == '+') return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

constexpr uint64_t kPlainNaN = 0x7FF8000000000000u;  // the quiet NaN "NaN" stands for

// "NaN", "NaN(0x...)", "Infinity", "-Infinity": the forms a non-finite double takes.
bool ParseSpecialDouble(std::string_view s, double& out) {
  if (s == "NaN") out = std::bit_cast<double>(kPlainNaN);
  else if (s == "Infinity") out = std::numeric_limits<double>::infinity();
  else if (s == "-Infinity") out = -std::numeric_limits<double>::infinity();
  else if (s.size() == 23 && s.substr(0, 6) == "NaN(0x" && s.back() == ')') {
    uint64_t bits = 0;
    for (char c : s.substr(6, 16)) {
      const int d = HexDigitValue(c);
      if (d < 0) return false;
      bits = bits << 4 | static_cast<uint64_t>(d);
    }
    out = std::bit_cast<double>(bits);
    return std::isnan(out);
  } else {
    return false;
  }
  return true;
}

bool ParseCellDouble(std::string_view s, double& out) {
  if (ParseSpecialDouble(s, out)) return true;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty() || s.front() == '+') return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// A NaN other than the plain quiet one (a sign, a payload, a signalling
// NaN) shows its bits, so that it is written back as it was.
std::string SpecialDoubleText(double v) {
  if (std::isnan(v)) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    if (bits == kPlainNaN) return "NaN";
    char buf[32];
    std::snprintf(buf, sizeof buf, "NaN(0x%016llx)", static_cast<unsigned long long>(bits));
    return buf;
  }
  return v > 0 ? "Infinity" : "-Infinity";
}

// The shortest text that reads back as the same double; -0.0 keeps its
// sign and its point, so that readers that take "-0" for the integer 0 keep it too.
std::string DoubleText(double v) { return v == 0 && std::signbit(v) ? "-0.0" : json::NumberText(v); }

// Fixed-width unsigned decimal digits at s[pos..pos+n).
bool Digits(std::string_view s, std::size_t pos, std::size_t n, int& out) {
  if (pos + n > s.size()) return false;
  out = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = s[pos + i];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

std::string GotType(const TInputValue& v) {
  switch (v.type) {
    case TInputValue::Null: return "null";
    case TInputValue::Boolean: return "a boolean";
    case TInputValue::Number: return "the number " + std::string(v.text);
    case TInputValue::String:
    case TInputValue::Cell:
      // Short texts are shown; long ones would drown the message.
      if (v.text.size() <= 40) return "\"" + std::string(v.text) + "\"";
      return v.type == TInputValue::String ? "a string" : "a long text";
  }
  return "?";
}

bool WrongType(const TInputValue& v, const char* expected, std::string& error) {
  error = std::string("expected ") + expected + ", got " + GotType(v);
  return false;
}

// UTF-8 -> Windows-1252 with a message that points at the offending character.
bool ToAnsi(std::string_view utf8Text, std::string& ansi, std::string& error) {
  std::size_t bad = 0;
  if (Utf8ToAnsi(utf8Text, ansi, &bad)) return true;
  char32_t cp;
  if (utf8::Decode(utf8Text, bad, cp) == 0) {
    error = "text is not valid UTF-8 (at byte " + std::to_string(bad + 1) + ")";
    return false;
  }
  std::size_t index = 1;
  for (std::size_t i = 0; i < bad;) {
    char32_t skip;
    const std::size_t n = utf8::Decode(utf8Text, i, skip);
    i += n ? n : 1;
    ++index;
  }
  std::string shown;
  utf8::Append(shown, cp);
  error = "character " + utf8::CodePointName(cp) + " '" + shown + "' at position " + std::to_string(index) +
          " cannot be stored (table text is Windows-1252)";
  return false;
}

bool StoreInteger(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  int64_t n = 0;
  switch (v.type) {
    case TInputValue::Null: return true;
    case TInputValue::Number:
      if (!json::ToInt64(v.text, n)) {
        error = "expected an integer, got the number " + std::string(v.text);
        return false;
      }
      break;
    case TInputValue::Cell:
      if (!ParseInteger(Trim(v.text), n)) return WrongType(v, "an integer", error);
      break;
    default: return WrongType(v, "an integer", error);
  }
  int64_t lo, hi;
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: lo = INT16_MIN, hi = INT16_MAX; break;
    case TVelaFieldKind::Int64: lo = INT64_MIN, hi = INT64_MAX; break;
    default: lo = INT32_MIN, hi = INT32_MAX; break;
  }
  if (n < lo || n > hi) {
    error = "value " + std::to_string(n) + " is out of range for " + KindName(f.Kind) + " (" + std::to_string(lo) +
            " to " + std::to_string(hi) + ")";
    return false;
  }
  record_values::SetInteger(data, f, n);
  return true;
}

bool StoreBoolean(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  bool b = false;
  switch (v.type) {
    case TInputValue::Null: return true;
    case TInputValue::Boolean: b = v.boolean; break;
    case TInputValue::Cell: {
      const std::string_view t = Trim(v.text);
      if (AsciiSameText(t, "true") || t == "1") b = true;
      else if (AsciiSameText(t, "false") || t == "0") b = false;
      else return WrongType(v, "true or false", error);
      break;
    }
    default: return WrongType(v, "true or false", error);
  }
  record_values::SetBoolean(data, f, b);
  return true;
}

bool StoreDouble(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  double d = 0;
  switch (v.type) {
    case TInputValue::Null: return true;
    case TInputValue::Number:
      if (!json::ToDouble(v.text, d)) {
        error = "the number " + std::string(v.text) + " is out of range for " + KindName(f.Kind);
        return false;
      }
      break;
    case TInputValue::String:
      if (!ParseSpecialDouble(v.text, d)) return WrongType(v, "a number", error);
      break;
    case TInputValue::Cell:
      if (!ParseCellDouble(Trim(v.text), d)) return WrongType(v, "a number", error);
      break;
    default: return WrongType(v, "a number", error);
  }
  record_values::SetFloat(data, f, d);
  return true;
}

// Date, Time and DateTime: a calendar text, or the raw stored number that
// FormatFieldValue gives for values outside the calendar.
bool StoreCalendar(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  const char* expected = f.Kind == TVelaFieldKind::Date   ? "a date \"YYYY-MM-DD\""
                         : f.Kind == TVelaFieldKind::Time ? "a time \"HH:MM:SS.mmm\""
                                                          : "a date and time \"YYYY-MM-DDTHH:MM:SS.mmm\"";
  if (v.type == TInputValue::Null) return true;
  if (v.type == TInputValue::Boolean) return WrongType(v, expected, error);
  const std::string_view t = v.type == TInputValue::Cell ? Trim(v.text) : v.text;
  const bool fromString = v.type != TInputValue::Number;
  if (f.Kind == TVelaFieldKind::DateTime) {
    double d = 0;
    bool ok = fromString && (ParseDateTimeText(t, d) || ParseSpecialDouble(t, d));
    if (!ok && v.type != TInputValue::String) ok = v.type == TInputValue::Number ? json::ToDouble(t, d) : ParseCellDouble(t, d);
    if (!ok) {
      error = "expected " + std::string(expected) + ", got " + GotType(v);
      return false;
    }
    record_values::SetFloat(data, f, d);
    return true;
  }
  int32_t n = 0;
  bool ok = fromString && (f.Kind == TVelaFieldKind::Date ? ParseDateText(t, n) : ParseTimeText(t, n));
  if (!ok && v.type != TInputValue::String) {
    int64_t raw;
    ok = (v.type == TInputValue::Number ? json::ToInt64(t, raw) : ParseInteger(t, raw)) && raw >= INT32_MIN &&
         raw <= INT32_MAX;
    n = ok ? static_cast<int32_t>(raw) : 0;
  }
  if (!ok) {
    error = "expected " + std::string(expected) + ", got " + GotType(v);
    return false;
  }
  record_values::SetInteger(data, f, n);
  return true;
}

bool StoreText(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  if (v.type == TInputValue::Null) return true;
  if (v.type != TInputValue::String && v.type != TInputValue::Cell) return WrongType(v, "a string", error);
  std::string ansi;
  if (!ToAnsi(v.text, ansi, error)) return false;
  if (f.Kind == TVelaFieldKind::SmallStr || f.Kind == TVelaFieldKind::String) {
    // The reader keeps a String text of up to 8191 characters whatever the
    // field's declared size, so a dumped text always goes back in.
    const std::size_t limit = f.Kind == TVelaFieldKind::String ? static_cast<std::size_t>(kMaxStringLength)
                                                               : static_cast<std::size_t>(f.Size < 0 ? 0 : f.Size);
    if (ansi.size() > limit) {
      error = "text of " + std::to_string(ansi.size()) + " characters is longer than the field (at most " +
              std::to_string(limit) + ")";
      return false;
    }
    if (f.Kind == TVelaFieldKind::SmallStr && ansi.find('\0') != std::string::npos) {
      error = "text holds a zero character, which a SmallStr field cannot keep";
      return false;
    }
    record_values::SetWholeText(data, f, ansi);
    return true;
  }
  if (static_cast<int64_t>(ansi.size()) > kLongestBlob) {
    error = "text of " + std::to_string(ansi.size()) + " bytes is too long for a memo";
    return false;
  }
  record_values::SetText(data, f, ansi);
  return true;
}

bool StoreBinary(const TInputValue& v, const TVelaField& f, uint8_t* data, std::string& error) {
  if (v.type == TInputValue::Null) return true;
  if (v.type != TInputValue::String && v.type != TInputValue::Cell) return WrongType(v, "a base64 string", error);
  std::string bytes;
  if (!base64::Decode(v.text, bytes, error)) return false;
  if (static_cast<int64_t>(bytes.size()) > kLongestBlob) {
    error = "block of " + std::to_string(bytes.size()) + " bytes is too long";
    return false;
  }
  record_values::SetText(data, f, bytes);
  return true;
}

}  // namespace

std::string DayNumberText(int32_t dayNumber) {
  int y, m, d;
  DecodeDayNumber(dayNumber, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

std::string TimeText(int32_t msecs) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", msecs / 3600000, msecs / 60000 % 60, msecs / 1000 % 60,
                msecs % 1000);
  return buf;
}

bool ParseDateText(std::string_view t, int32_t& dayNumber) {
  int y, m, d;
  if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
  if (!Digits(t, 0, 4, y) || !Digits(t, 5, 2, m) || !Digits(t, 8, 2, d)) return false;
  return TryEncodeDayNumber(y, m, d, dayNumber);
}

bool ParseTimeText(std::string_view t, int32_t& msecs) {
  // HH:MM, HH:MM:SS or HH:MM:SS.f with one to three fraction digits.
  int h, mi, s = 0, ms = 0;
  if (t.size() < 5 || t[2] != ':' || !Digits(t, 0, 2, h) || !Digits(t, 3, 2, mi)) return false;
  if (t.size() > 5) {
    if (t.size() < 8 || t[5] != ':' || !Digits(t, 6, 2, s)) return false;
    if (t.size() > 8) {
      const std::size_t frac = t.size() - 9;
      if (t[8] != '.' || frac < 1 || frac > 3 || !Digits(t, 9, frac, ms)) return false;
      for (std::size_t i = frac; i < 3; ++i) ms *= 10;
    }
  }
  if (h > 23 || mi > 59 || s > 59) return false;
  msecs = ((h * 60 + mi) * 60 + s) * 1000 + ms;
  return true;
}

bool ParseDateTimeText(std::string_view t, double& stored) {
  int32_t day, ms = 0;
  if (t.size() < 10 || !ParseDateText(t.substr(0, 10), day)) return false;
  if (t.size() > 10) {
    if ((t[10] != 'T' && t[10] != ' ') || !ParseTimeText(t.substr(11), ms)) return false;
  }
  stored = static_cast<double>(day) * MSecsPerDay + ms;
  return true;
}

TValueForm FormatFieldValue(const uint8_t* data, const TVelaField& f, std::string& out) {
  out.clear();
  switch (f.Kind) {
    case TVelaFieldKind::SmallInt: out = std::to_string(record_values::GetInteger(data, f)); return TValueForm::Bare;
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::AutoInc: out = std::to_string(record_values::GetInteger(data, f)); return TValueForm::Bare;
    case TVelaFieldKind::Int64: {
      const int64_t v = record_values::GetInteger(data, f);
      if (v == 0) return TValueForm::Null;
      out = std::to_string(v);
      return TValueForm::Bare;
    }
    case TVelaFieldKind::Boolean:
      out = record_values::GetBoolean(data, f) ? "true" : "false";
      return TValueForm::Bare;
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: {
      const double v = record_values::GetFloat(data, f);
      if (!std::isfinite(v)) {
        out = SpecialDoubleText(v);
        return TValueForm::Quoted;
      }
      out = DoubleText(v);
      return TValueForm::Bare;
    }
    case TVelaFieldKind::Date: {
      const int32_t v = static_cast<int32_t>(record_values::GetInteger(data, f));
      if (v == 0) return TValueForm::Null;
      if (v < kFirstDay || v > kLastDay) {
        out = std::to_string(v);
        return TValueForm::Bare;
      }
      out = DayNumberText(v);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::Time: {
      const int32_t v = static_cast<int32_t>(record_values::GetInteger(data, f));
      if (v < 0 || v >= MSecsPerDay) {
        out = std::to_string(v);
        return TValueForm::Bare;
      }
      out = TimeText(v);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::DateTime: {
      const double v = record_values::GetFloat(data, f);
      if (v == 0 && !std::signbit(v)) return TValueForm::Null;  // all bytes zero: no value
      if (!std::isfinite(v)) {
        out = SpecialDoubleText(v);
        return TValueForm::Quoted;
      }
      const double first = static_cast<double>(kFirstDay) * MSecsPerDay;
      const double end = (static_cast<double>(kLastDay) + 1) * MSecsPerDay;
      if (v != std::floor(v) || v < first || v >= end) {
        out = DoubleText(v);
        return TValueForm::Bare;
      }
      const int64_t total = static_cast<int64_t>(v);
      out = DayNumberText(static_cast<int32_t>(total / MSecsPerDay));
      out += 'T';
      out += TimeText(static_cast<int32_t>(total % MSecsPerDay));
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::SmallStr: {
      const std::string_view s = record_values::GetText(data, f);
      if (s.empty()) return TValueForm::Null;
      out = AnsiToUtf8(s);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::String: {
      const std::string_view s = record_values::GetText(data, f);
      if (s.empty()) return TValueForm::Null;
      out = AnsiToUtf8(s);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: {
      const std::string_view s = record_values::GetText(data, f);
      if (s.empty()) return TValueForm::Null;
      out = AnsiToUtf8(s);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic: {
      const std::string_view s = record_values::GetText(data, f);
      if (s.empty()) return TValueForm::Null;
      base64::AppendEncoded(out, s);
      return TValueForm::Quoted;
    }
    case TVelaFieldKind::Unknown: return TValueForm::Null;
  }
  return TValueForm::Null;
}

bool StoreFieldValue(const TInputValue& value, const TVelaField& field, uint8_t* data, std::string& error) {
  switch (field.Kind) {
    case TVelaFieldKind::SmallInt:
    case TVelaFieldKind::Integer:
    case TVelaFieldKind::Int64:
    case TVelaFieldKind::AutoInc: return StoreInteger(value, field, data, error);
    case TVelaFieldKind::Boolean: return StoreBoolean(value, field, data, error);
    case TVelaFieldKind::Double:
    case TVelaFieldKind::Currency: return StoreDouble(value, field, data, error);
    case TVelaFieldKind::Date:
    case TVelaFieldKind::Time:
    case TVelaFieldKind::DateTime: return StoreCalendar(value, field, data, error);
    case TVelaFieldKind::SmallStr:
    case TVelaFieldKind::String:
    case TVelaFieldKind::Memo:
    case TVelaFieldKind::FmtMemo: return StoreText(value, field, data, error);
    case TVelaFieldKind::BLOB:
    case TVelaFieldKind::Graphic: return StoreBinary(value, field, data, error);
    case TVelaFieldKind::Unknown:
      if (value.type == TInputValue::Null) return true;
      error = "a field of kind Unknown holds no value";
      return false;
  }
  return false;
}

}  // namespace notarra
