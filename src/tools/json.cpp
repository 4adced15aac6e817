#include "tools/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "platform/text.h"
#include "tools/utf8.h"

namespace notarra {

namespace json {

namespace {

// Deeper nesting than any table needs; the limit keeps the recursion safe.
constexpr int kMaxDepth = 512;


}  // namespace

const char* TypeName(Type type) {
  switch (type) {
    case Type::Null: return "null";
    case Type::Boolean: return "a boolean";
    case Type::Number: return "a number";
    case Type::String: return "a string";
    case Type::Array: return "an array";
    case Type::Object: return "an object";
  }
  return "?";
}

const Value* Value::Find(std::string_view key) const {
  for (const Member& m : members)
    if (m.key == key) return &m.value;
  return nullptr;
}

Reader::Reader(std::string_view text) : text_(text) {}

void Reader::FailAt(std::size_t pos, const std::string& message) const {
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < pos && i < text_.size(); ++i) {
    if (text_[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  throw Error("JSON error at line " + std::to_string(line) + ", column " + std::to_string(pos - lineStart + 1) +
              ": " + message);
}

void Reader::Fail(const std::string& message) const { FailAt(pos_, message); }

void Reader::SkipSpace() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
    ++pos_;
  }
}

Type Reader::PeekType() {
  SkipSpace();
  if (pos_ >= text_.size()) Fail("unexpected end of input, expected a value");
  switch (text_[pos_]) {
    case '{': return Type::Object;
    case '[': return Type::Array;
    case '"': return Type::String;
    case 't':
    case 'f': return Type::Boolean;
    case 'n': return Type::Null;
    default:
      if (text_[pos_] == '-' || IsAsciiDigit(text_[pos_])) return Type::Number;
      Fail(std::string("unexpected character '") + text_[pos_] + "', expected a value");
  }
}

void Reader::ExpectWord(std::string_view word) {
  if (text_.substr(pos_, word.size()) != word) Fail("invalid literal, expected '" + std::string(word) + "'");
  pos_ += word.size();
}

std::string Reader::ReadString() {
  // pos_ is at the opening quote.
  const std::size_t start = pos_;
  ++pos_;
  std::string out;
  while (true) {
    if (pos_ >= text_.size()) FailAt(start, "unterminated string");
    const char c = text_[pos_];
    if (c == '"') {
      ++pos_;
      return out;
    }
    if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string (use an escape such as \\n)");
    if (c == '\\') {
      if (pos_ + 1 >= text_.size()) FailAt(start, "unterminated string");
      const char e = text_[pos_ + 1];
      pos_ += 2;
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          const auto hex4 = [&](std::size_t at, char32_t& v) {
            if (at + 4 > text_.size()) return false;
            v = 0;
            for (std::size_t i = 0; i < 4; ++i) {
              const int h = HexDigitValue(text_[at + i]);
              if (h < 0) return false;
              v = v * 16 + static_cast<char32_t>(h);
            }
            return true;
          };
          char32_t cp;
          if (!hex4(pos_, cp)) FailAt(pos_ - 2, "invalid \\u escape");
          pos_ += 4;
          if (cp >= 0xDC00 && cp <= 0xDFFF) FailAt(pos_ - 6, "lone low surrogate in \\u escape");
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            char32_t low;
            if (text_.substr(pos_, 2) != "\\u" || !hex4(pos_ + 2, low) || low < 0xDC00 || low > 0xDFFF)
              FailAt(pos_ - 6, "high surrogate in \\u escape without its low surrogate");
            pos_ += 6;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          utf8::Append(out, cp);
          break;
        }
        default: FailAt(pos_ - 2, std::string("invalid escape '\\") + e + "'");
      }
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      // Plain characters go over in one run.
      std::size_t end = pos_ + 1;
      while (end < text_.size()) {
        const unsigned char d = static_cast<unsigned char>(text_[end]);
        if (d < 0x20 || d >= 0x80 || d == '"' || d == '\\') break;
        ++end;
      }
      out.append(text_.data() + pos_, end - pos_);
      pos_ = end;
      continue;
    }
    char32_t cp;
    const std::size_t n = utf8::Decode(text_, pos_, cp);
    if (n == 0) Fail("invalid UTF-8 in string");
    out.append(text_.data() + pos_, n);
    pos_ += n;
  }
}

std::string Reader::ReadNumber() {
  const std::size_t start = pos_;
  if (text_[pos_] == '-') ++pos_;
  if (pos_ >= text_.size() || !IsAsciiDigit(text_[pos_])) Fail("invalid number");
  if (text_[pos_] == '0') {
    ++pos_;
    if (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) Fail("invalid number (leading zero)");
  } else {
    while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
  }
  if (pos_ < text_.size() && text_[pos_] == '.') {
    ++pos_;
    if (pos_ >= text_.size() || !IsAsciiDigit(text_[pos_])) Fail("invalid number (digit expected after '.')");
    while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
  }
  if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
    ++pos_;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
    if (pos_ >= text_.size() || !IsAsciiDigit(text_[pos_])) Fail("invalid number (digit expected in exponent)");
    while (pos_ < text_.size() && IsAsciiDigit(text_[pos_])) ++pos_;
  }
  return std::string(text_.substr(start, pos_ - start));
}

Value Reader::ReadValue() { return ReadValueAt(0); }

Value Reader::ReadValueAt(int depth) {
  if (depth > kMaxDepth) Fail("nesting too deep");
  Value v;
  v.type = PeekType();
  switch (v.type) {
    case Type::Null: ExpectWord("null"); break;
    case Type::Boolean:
      v.boolean = text_[pos_] == 't';
      ExpectWord(v.boolean ? "true" : "false");
      break;
    case Type::Number: v.text = ReadNumber(); break;
    case Type::String: v.text = ReadString(); break;
    case Type::Array:
      BeginArray();
      while (NextItem()) v.items.push_back(ReadValueAt(depth + 1));
      break;
    case Type::Object: {
      BeginObject();
      std::string key;
      while (NextMember(key)) {
        Value item = ReadValueAt(depth + 1);
        v.members.push_back(Member{std::move(key), std::move(item)});
      }
      break;
    }
  }
  return v;
}

void Reader::BeginObject() {
  SkipSpace();
  if (pos_ >= text_.size() || text_[pos_] != '{') Fail("expected an object ('{')");
  ++pos_;
  first_.push_back(true);
}

bool Reader::NextMember(std::string& key) {
  SkipSpace();
  if (pos_ >= text_.size()) Fail("unexpected end of input inside an object");
  if (!first_.back()) {
    if (text_[pos_] == '}') {
      ++pos_;
      first_.pop_back();
      return false;
    }
    if (text_[pos_] != ',') Fail("expected ',' or '}'");
    ++pos_;
    SkipSpace();
  } else if (text_[pos_] == '}') {
    ++pos_;
    first_.pop_back();
    return false;
  }
  if (pos_ >= text_.size() || text_[pos_] != '"') Fail("expected a member name in double quotes");
  first_.back() = false;
  key = ReadString();
  SkipSpace();
  if (pos_ >= text_.size() || text_[pos_] != ':') Fail("expected ':' after the member name");
  ++pos_;
  return true;
}

void Reader::BeginArray() {
  SkipSpace();
  if (pos_ >= text_.size() || text_[pos_] != '[') Fail("expected an array ('[')");
  ++pos_;
  first_.push_back(true);
}

bool Reader::NextItem() {
  SkipSpace();
  if (pos_ >= text_.size()) Fail("unexpected end of input inside an array");
  if (text_[pos_] == ']') {
    // "[]" and "[1]" both end here; "[1,]" is caught below.
    ++pos_;
    first_.pop_back();
    return false;
  }
  if (!first_.back()) {
    if (text_[pos_] != ',') Fail("expected ',' or ']'");
    ++pos_;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') Fail("trailing ',' before ']'");
  }
  first_.back() = false;
  return true;
}

void Reader::End() {
  SkipSpace();
  if (pos_ < text_.size()) Fail("unexpected text after the end of the document");
}

Value Parse(std::string_view text) {
  Reader r(text);
  Value v = r.ReadValue();
  r.End();
  return v;
}

void AppendString(std::string& out, std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(s.data() + runStart, i - runStart);
    runStart = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
  }
  out.append(s.data() + runStart, s.size() - runStart);
  out += '"';
}

std::string NumberText(double value) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

bool ToInt64(std::string_view literal, int64_t& out) {
  if (literal.find_first_of(".eE") != std::string_view::npos) return false;
  const auto r = std::from_chars(literal.data(), literal.data() + literal.size(), out);
  return r.ec == std::errc() && r.ptr == literal.data() + literal.size();
}

bool ToDouble(std::string_view literal, double& out) {
  const auto r = std::from_chars(literal.data(), literal.data() + literal.size(), out);
  return r.ec == std::errc() && r.ptr == literal.data() + literal.size() && std::isfinite(out);
}

}  // namespace json

}  // namespace notarra
