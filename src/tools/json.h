// A small, strict JSON reader and the writing helpers notarra-table needs.
//
// The reader accepts exactly RFC 8259 JSON: no comments, no trailing commas,
// strings must be valid UTF-8, and a \u escape must not leave a lone
// surrogate. Numbers keep their literal text so that 64-bit integers and
// doubles convert without loss. Errors carry the line and column (1-based,
// columns counted in bytes).
//
// The reader works two ways: ReadValue() builds a whole value, while
// BeginObject/NextMember and BeginArray/NextItem walk a large document piece
// by piece, so that a table with a million records never exists as one tree.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace notarra {

namespace json {

class Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class Type : uint8_t { Null, Boolean, Number, String, Array, Object };

// Name of a type for messages: "null", "a boolean", "a number", ...
const char* TypeName(Type type);

struct Member;

struct Value {
  Type type = Type::Null;
  bool boolean = false;
  std::string text;              // String: the UTF-8 text; Number: the literal as written
  std::vector<Value> items;      // Array
  std::vector<Member> members;   // Object, in document order (duplicates kept)

  // The first member with this key, or nullptr.
  const Value* Find(std::string_view key) const;
};

struct Member {
  std::string key;
  Value value;
};

class Reader {
public:
  explicit Reader(std::string_view text);

  // One complete value at the current position.
  Value ReadValue();

  // Piecewise reading. BeginObject expects "{"; NextMember reads the next
  // key and its ":" and returns true, or consumes the closing "}" and
  // returns false. Arrays the same with "[" and "]".
  void BeginObject();
  bool NextMember(std::string& key);
  void BeginArray();
  bool NextItem();
  // The type of the value that starts at the current position.
  Type PeekType();
  // Only white space may follow.
  void End();

  // Raises Error with the current position in front of the message.
  [[noreturn]] void Fail(const std::string& message) const;

private:
  void SkipSpace();
  Value ReadValueAt(int depth);
  std::string ReadString();
  std::string ReadNumber();
  void ExpectWord(std::string_view word);
  [[noreturn]] void FailAt(std::size_t pos, const std::string& message) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<bool> first_;  // per open container: no element read yet
};

// Parses a whole document.
Value Parse(std::string_view text);

// Appends s (UTF-8) as a quoted JSON string.
void AppendString(std::string& out, std::string_view s);

// The shortest literal that reads back as exactly the same double. Only for
// finite values.
std::string NumberText(double value);

// Conversions of a number literal. Integer literals only (no fraction or
// exponent) for the integer form; false when the literal does not fit.
bool ToInt64(std::string_view literal, int64_t& out);
bool ToDouble(std::string_view literal, double& out);

}  // namespace json

}  // namespace notarra
