// Test helpers: a byte builder that spells table files out by hand (so the
// expected bytes never come from the writer under test), and small wrappers
// that load bytes into a store and write a store back to bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/memory_stream.h"
#include "tableengine/data_area.h"
#include "tableengine/record_store.h"

using namespace notarra;

namespace tt {

// Little-endian appends.
class Bytes {
public:
  Bytes& u8(uint8_t v) { s_.push_back(static_cast<char>(v)); return *this; }
  Bytes& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& i16(int16_t v) { return u16(static_cast<uint16_t>(v)); }
  Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Bytes& i64(int64_t v) {
    auto u = static_cast<uint64_t>(v);
    return u32(static_cast<uint32_t>(u)).u32(static_cast<uint32_t>(u >> 32));
  }
  Bytes& f64(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return i64(static_cast<int64_t>(u));
  }
  Bytes& text(std::string_view t) { s_.append(t); return *this; }
  Bytes& raw(std::initializer_list<int> bytes) {
    for (int b : bytes) u8(static_cast<uint8_t>(b));
    return *this;
  }
  Bytes& zeros(std::size_t n) { s_.append(n, '\0'); return *this; }
  // A String or BLOB value: 32-bit length, then the bytes.
  Bytes& counted(std::string_view t) { return u32(static_cast<uint32_t>(t.size())).text(t); }

  const std::string& str() const { return s_; }
  std::size_t size() const { return s_.size(); }
  operator std::string() const { return s_; }

private:
  std::string s_;
};

// A field description section: every entry followed by 0x12, then 0x14.
inline std::string Section(std::initializer_list<std::string_view> entries) {
  std::string s;
  for (auto e : entries) {
    s.append(e);
    s.push_back('\x12');
  }
  s.push_back('\x14');
  return s;
}

// A plain ("S") table: total length, kind, R, F, L, section, body.
inline std::string Table(uint32_t recordCount, uint32_t fieldCount, const std::string& section,
                         const std::string& body = {}) {
  Bytes b;
  b.u32(static_cast<uint32_t>(17 + section.size() + body.size()))
      .text("S")
      .u32(recordCount)
      .u32(fieldCount)
      .u32(static_cast<uint32_t>(section.size()))
      .text(section)
      .text(body);
  return b.str();
}

// The group table of the sample data: SELECTED b, CATEGORY F, CKEY a.
inline std::string GroupSection() {
  return Section({"XXX.SELECTED b", "XXX.CATEGORY F", "XXX.CKEY a"});
}
// One group record: SELECTED false, the category text, CKEY.
inline std::string GroupRecord(std::string_view category, int32_t key) {
  Bytes b;
  b.u8(0).u8(static_cast<uint8_t>(category.size())).u8(key ? 4 : 0).text(category);
  if (key) b.i32(key);
  return b.str();
}

struct LoadResult {
  bool ok;
  std::string error;
};

inline LoadResult Load(TVelaCursor& c, const std::string& bytes, bool partialOpen = false,
                       bool keepFileOrder = false) {
  TMemoryStream s;
  if (!bytes.empty()) s.Write(bytes.data(), bytes.size());
  s.SetPosition(0);
  c.SetPartialOpen(partialOpen);
  LoadResult r;
  r.ok = c.LoadFromStream(s, r.error, keepFileOrder);
  return r;
}

inline std::string Write(TVelaCursor& c) {
  TMemoryStream s;
  int64_t n = c.WriteToStream(s);
  std::string out(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
  if (n != s.Size()) out += "<WriteToStream returned a different length>";
  return out;
}

// Spaced hex, for readable failure messages on byte comparisons.
inline std::string Hex(std::string_view s) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

// A data area of the store, released at scope end.
class Area {
public:
  explicit Area(const TVelaCursor& c) : c_(c), d_(c.AllocRecordData()) {}
  ~Area() { c_.FreeRecordData(d_); }
  Area(const Area&) = delete;
  Area& operator=(const Area&) = delete;

  uint8_t* data() const { return d_; }
  operator uint8_t*() const { return d_; }

  template <typename T>
  Area& set(std::string_view field, T v) {
    data_area::Store<T>(d_, F(field), v);
    return *this;
  }
  Area& text(std::string_view field, std::string_view s) {
    data_area::SetText(d_, F(field), s);
    return *this;
  }
  Area& blob(std::string_view field, std::string_view s) {
    data_area::SetBlob(d_, F(field), s);
    return *this;
  }
  const TVelaField& F(std::string_view field) const { return *c_.FindField(field); }

private:
  const TVelaCursor& c_;
  uint8_t* d_;
};

// Reads a field of a record for checks.
template <typename T>
T Get(const TVelaCursor& c, const uint8_t* data, std::string_view field) {
  return data_area::Load<T>(data, *c.FindField(field));
}
inline std::string Str(const TVelaCursor& c, const uint8_t* data, std::string_view field) {
  const TVelaField& f = *c.FindField(field);
  switch (f.Kind) {
    case TVelaFieldKind::SmallStr: return std::string(data_area::SmallText(data, f));
    case TVelaFieldKind::String: return std::string(data_area::Text(data, f));
    default: return std::string(data_area::Blob(data, f));
  }
}

}  // namespace tt
