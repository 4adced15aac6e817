// Number text: integers, floating-point values and picture formats.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <type_traits>

#include "platform/conversion_text.h"
#include "platform/conversions.h"

namespace notarra {

using namespace conversion_text;

namespace {

// ---------------------------------------------------------------- integers

// Hexadecimal covers the full width of the type, as a bit pattern: "$FFFFFFFF"
// is -1 for a 32-bit integer. Decimal must stay within the signed range.
template <typename T>
bool ParseInteger(std::string_view text, T& out) {
  using U = std::make_unsigned_t<T>;
  std::size_t i = 0;
  while (i < text.size() && IsBlankOrTab(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  U value = 0;
  if (hex) {
    for (; i < text.size(); ++i) {
      int d = HexDigitValue(text[i]);
      if (d < 0 || value > (std::numeric_limits<U>::max() >> 4)) return false;
      value = static_cast<U>((value << 4) | static_cast<U>(d));
    }
    out = static_cast<T>(negative ? static_cast<U>(U(0) - value) : value);
    return true;
  }
  U limit = negative ? static_cast<U>(std::numeric_limits<T>::max()) + 1u : static_cast<U>(std::numeric_limits<T>::max());
  for (; i < text.size(); ++i) {
    if (!IsAsciiDigit(text[i])) return false;
    U d = static_cast<U>(text[i] - '0');
    if (value > (limit - d) / 10) return false;
    value = static_cast<U>(value * 10 + d);
  }
  out = negative ? static_cast<T>(U(0) - value) : static_cast<T>(value);
  return true;
}

// ------------------------------------------------------------------ floats

// A decimal number 0.d1d2d3... x 10^exponent; digits holds no leading or
// trailing zeros and is empty for zero.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// The value to 15 significant digits: the precision a double holds
// reliably, so 0.1 + 0.2 shows as 0.3 and 0.0000005 rounds like it reads.
Decimal ToDecimal(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  double magnitude = std::fabs(value);
  if (magnitude == 0) return d;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
  std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
  std::size_t e = s.find('e');
  d.digits.reserve(15);
  for (std::size_t i = 0; i < e; ++i)
    if (IsAsciiDigit(s[i])) d.digits += s[i];
  int exp10 = 0;
  std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp10);
  d.exponent = exp10 + 1;
  StripTrailingZeros(d);
  return d;
}

// Rounds half away from zero to keep significant digits (keep may be 0 or
// negative: then only a carry into a new leading digit can survive).
void RoundDecimal(Decimal& d, int keep) {
  if (d.digits.empty() || keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') d.digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.digits[static_cast<std::size_t>(i)];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  StripTrailingZeros(d);
}

std::string SpecialFloatText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

// One section of a picture format, taken apart.
struct PictureItem {
  enum Kind { kDigitZero, kDigitHash, kPoint, kLiteral, kExponent } kind;
  std::string text;      // kLiteral
  char expLetter = 'E';  // kExponent
  bool expPlus = false;  // kExponent: "E+" always shows the sign
  int expDigits = 0;     // kExponent: minimum exponent digits
};

struct Picture {
  std::vector<PictureItem> items;
  bool thousands = false;
  bool scientific = false;
  int intPlaceholders = 0;
  int intMinDigits = 0;  // from the first "0" before the point
  int fracPlaceholders = 0;
  int fracMinDigits = 0;  // up to the last "0" after the point
};

Picture ParsePicture(std::string_view section) {
  Picture pic;
  bool afterPoint = false;
  int firstIntZero = -1;
  for (std::size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    PictureItem item{PictureItem::kLiteral, {}};
    if ((c == '0' || c == '#') && !pic.scientific) {
      item.kind = c == '0' ? PictureItem::kDigitZero : PictureItem::kDigitHash;
      if (afterPoint) {
        ++pic.fracPlaceholders;
        if (c == '0') pic.fracMinDigits = pic.fracPlaceholders;
      } else {
        if (c == '0' && firstIntZero < 0) firstIntZero = pic.intPlaceholders;
        ++pic.intPlaceholders;
      }
    } else if (c == '.' && !afterPoint && !pic.scientific) {
      item.kind = PictureItem::kPoint;
      afterPoint = true;
    } else if (c == ',' && !pic.scientific) {
      pic.thousands = true;
      continue;
    } else if ((c == 'E' || c == 'e') && i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-') &&
               !pic.scientific) {
      item.kind = PictureItem::kExponent;
      item.expLetter = c;
      item.expPlus = section[i + 1] == '+';
      i += 2;
      while (i < section.size() && section[i] == '0' && item.expDigits < 4) {
        ++item.expDigits;
        ++i;
      }
      --i;
      pic.scientific = true;
    } else if (c == '"' || c == '\'') {
      std::size_t end = section.find(c, i + 1);
      if (end == std::string_view::npos) end = section.size();
      item.text = std::string(section.substr(i + 1, end - i - 1));
      i = end;
    } else {
      item.text = std::string(1, c);
    }
    if (item.kind == PictureItem::kLiteral && !pic.items.empty() && pic.items.back().kind == PictureItem::kLiteral)
      pic.items.back().text += item.text;
    else
      pic.items.push_back(std::move(item));
  }
  if (firstIntZero >= 0) pic.intMinDigits = pic.intPlaceholders - firstIntZero;
  return pic;
}

// Rounds the magnitude of value the way the picture shows it.
Decimal RoundForPicture(double value, const Picture& pic) {
  Decimal d = ToDecimal(value);
  if (pic.scientific)
    RoundDecimal(d, std::max(pic.intPlaceholders, 1) + pic.fracPlaceholders);
  else
    RoundDecimal(d, d.exponent + pic.fracPlaceholders);
  return d;
}

std::string RenderPicture(const Picture& pic, const Decimal& d, const TFormatSettings& fs) {
  std::string intDigits, fracDigits;
  int exponent = 0;
  if (pic.scientific) {
    int intCount = std::max(pic.intPlaceholders, 1);
    std::string all = d.digits;
    all.resize(static_cast<std::size_t>(intCount + pic.fracPlaceholders), '0');
    intDigits = all.substr(0, static_cast<std::size_t>(intCount));
    fracDigits = all.substr(static_cast<std::size_t>(intCount));
    if (!d.digits.empty()) exponent = d.exponent - intCount;
  } else {
    if (d.exponent > 0) {
      intDigits = d.digits.substr(0, std::min(d.digits.size(), static_cast<std::size_t>(d.exponent)));
      intDigits.resize(static_cast<std::size_t>(d.exponent), '0');
      if (d.digits.size() > static_cast<std::size_t>(d.exponent)) fracDigits = d.digits.substr(static_cast<std::size_t>(d.exponent));
    } else if (!d.digits.empty()) {
      fracDigits = std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
    }
    if (static_cast<int>(intDigits.size()) < pic.intMinDigits)
      intDigits.insert(0, static_cast<std::size_t>(pic.intMinDigits) - intDigits.size(), '0');
  }
  if (static_cast<int>(fracDigits.size()) > pic.fracPlaceholders) fracDigits.resize(static_cast<std::size_t>(pic.fracPlaceholders));
  while (static_cast<int>(fracDigits.size()) > pic.fracMinDigits && fracDigits.back() == '0') fracDigits.pop_back();
  if (static_cast<int>(fracDigits.size()) < pic.fracMinDigits)
    fracDigits.resize(static_cast<std::size_t>(pic.fracMinDigits), '0');

  std::string out;
  const int intLen = static_cast<int>(intDigits.size());
  auto emitIntDigit = [&](int index) {
    out += intDigits[static_cast<std::size_t>(index)];
    int remaining = intLen - 1 - index;
    if (pic.thousands && !pic.scientific && remaining > 0 && remaining % 3 == 0) out += fs.ThousandSeparator;
  };
  // Digits beyond the placeholders go in front of the first one; with no
  // integer placeholders at all they go where the point is.
  int placeholder = 0;
  bool leadingDone = false;
  auto emitLeading = [&](int upTo) {
    for (int k = 0; k <= upTo; ++k) emitIntDigit(k);
    leadingDone = true;
  };
  int fracIndex = 0;
  bool inFraction = false;
  for (const PictureItem& item : pic.items) {
    switch (item.kind) {
      case PictureItem::kDigitZero:
      case PictureItem::kDigitHash:
        if (inFraction) {
          if (fracIndex < static_cast<int>(fracDigits.size())) out += fracDigits[static_cast<std::size_t>(fracIndex)];
          ++fracIndex;
        } else {
          int index = intLen - pic.intPlaceholders + placeholder;
          if (placeholder == 0)
            emitLeading(index);
          else if (index >= 0)
            emitIntDigit(index);
          ++placeholder;
        }
        break;
      case PictureItem::kPoint:
        if (!leadingDone) emitLeading(intLen - 1);
        inFraction = true;
        if (!fracDigits.empty()) out += fs.DecimalSeparator;
        break;
      case PictureItem::kExponent: {
        if (!leadingDone) emitLeading(intLen - 1);
        out += item.expLetter;
        if (exponent < 0)
          out += '-';
        else if (item.expPlus)
          out += '+';
        std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
        if (static_cast<int>(e.size()) < item.expDigits) e.insert(0, static_cast<std::size_t>(item.expDigits) - e.size(), '0');
        out += e;
        break;
      }
      case PictureItem::kLiteral:
        out += item.text;
        break;
    }
  }
  return out;
}

// Splits a picture into its sections at ";" outside quotes.
std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(pattern.substr(start));
  return sections;
}

}  // namespace


bool TryStrToInt(std::string_view text, int32_t& out) { return ParseInteger(text, out); }
bool TryStrToInt64(std::string_view text, int64_t& out) { return ParseInteger(text, out); }

int32_t StrToInt(std::string_view text) {
  int32_t value;
  if (!TryStrToInt(text, value)) ConvertError("'%s' is not a valid integer value", text);
  return value;
}

int64_t StrToInt64(std::string_view text) {
  int64_t value;
  if (!TryStrToInt64(text, value)) ConvertError("'%s' is not a valid integer value", text);
  return value;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

bool TryStrToFloat(std::string_view text, double& out, const TFormatSettings& fs) {
  std::string_view s = Trim(text);
  std::string normalized;
  normalized.reserve(s.size() + 2);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (negative) normalized += '-';
  // The decimal exponent of the first significant digit, to tell an
  // underflow (which reads as zero) from an overflow (which fails).
  int leadExponent = 0;
  bool seenSignificant = false;
  int intDigits = 0, fracDigits = 0;
  for (; i < s.size() && IsAsciiDigit(s[i]); ++i, ++intDigits) normalized += s[i];
  for (int k = 0; k < intDigits; ++k)
    if (normalized[static_cast<std::size_t>(k + (negative ? 1 : 0))] != '0') {
      leadExponent = intDigits - k - 1;
      seenSignificant = true;
      break;
    }
  if (i < s.size() && s[i] == fs.DecimalSeparator) {
    normalized += '.';
    for (++i; i < s.size() && IsAsciiDigit(s[i]); ++i, ++fracDigits) {
      if (!seenSignificant && s[i] != '0') {
        leadExponent = -(fracDigits + 1);
        seenSignificant = true;
      }
      normalized += s[i];
    }
  }
  if (intDigits + fracDigits == 0) return false;
  long long exponent = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    normalized += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      if (s[i] == '-') normalized += '-';
      ++i;
    }
    std::size_t expStart = i;
    bool expNegative = !normalized.empty() && normalized.back() == '-';
    for (; i < s.size() && IsAsciiDigit(s[i]); ++i) {
      normalized += s[i];
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
    }
    if (i == expStart) return false;
    if (expNegative) exponent = -exponent;
  }
  if (i != s.size()) return false;
  double value = 0;
  auto res = std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    if (leadExponent + exponent >= 0) return false;
    value = negative ? -0.0 : 0.0;
  } else if (res.ec != std::errc() || res.ptr != normalized.data() + normalized.size()) {
    return false;
  }
  out = value;
  return true;
}

double StrToFloat(std::string_view text, const TFormatSettings& fs) {
  double value;
  if (!TryStrToFloat(text, value, fs)) ConvertError("'%s' is not a valid floating point value", text);
  return value;
}

std::string FloatToStr(double value, const TFormatSettings& fs) {
  if (!std::isfinite(value)) return SpecialFloatText(value);
  Decimal d = ToDecimal(value);
  if (d.digits.empty()) return "0";
  std::string out;
  if (d.negative) out += '-';
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || d.exponent < -3) {
    out += d.digits[0];
    if (n > 1) {
      out += fs.DecimalSeparator;
      out.append(d.digits, 1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
  } else if (d.exponent <= 0) {
    out += '0';
    out += fs.DecimalSeparator;
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out += d.digits;
  } else {
    out.append(d.digits, 0, static_cast<std::size_t>(std::min(n, d.exponent)));
    if (d.exponent > n) out.append(static_cast<std::size_t>(d.exponent - n), '0');
    if (n > d.exponent) {
      out += fs.DecimalSeparator;
      out.append(d.digits, static_cast<std::size_t>(d.exponent));
    }
  }
  return out;
}

std::string FormatFloat(std::string_view pattern, double value, const TFormatSettings& fs) {
  if (pattern.empty() || !std::isfinite(value)) return FloatToStr(value, fs);
  std::vector<std::string_view> sections = SplitSections(pattern);
  const bool hasNegative = sections.size() > 1 && !sections[1].empty();
  const bool hasZero = sections.size() > 2 && !sections[2].empty();
  const Picture positive = ParsePicture(sections[0]);

  if (value != 0) {
    bool negative = value < 0;
    Picture negativePic;
    if (negative && hasNegative) negativePic = ParsePicture(sections[1]);
    const Picture& pic = negative && hasNegative ? negativePic : positive;
    Decimal d = RoundForPicture(value, pic);
    if (!d.digits.empty()) {
      std::string body = RenderPicture(pic, d, fs);
      return negative && !hasNegative ? "-" + body : body;
    }
  }
  // Zero, or a value that rounds to zero: the zero section, else the positive one, unsigned.
  const Picture zeroPic = hasZero ? ParsePicture(sections[2]) : positive;
  return RenderPicture(zeroPic, Decimal{}, fs);
}

std::vector<std::string> SplitFieldNames(std::string_view names) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(';', start);
    if (end == std::string_view::npos) end = names.size();
    std::string_view name = Trim(names.substr(start, end - start));
    if (!name.empty()) result.emplace_back(name);
    start = end + 1;
  }
  return result;
}

}  // namespace notarra
