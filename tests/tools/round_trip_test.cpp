// dump then write gives back the file byte for byte: over tables generated
// here from the format's rules alone (every type code the reader accepts,
// qualifiers and defaults of every form, extreme and odd values), and what
// is normalised instead, each case built by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tool_test_support.h"

using namespace notarra;

namespace {

using namespace tooltest;

// A small deterministic generator, so that every run checks the same tables.
class Generator {
public:
  explicit Generator(uint64_t seed) : state_(seed * 6364136223846793005u + 1442695040888963407u) {}
  uint64_t Next() {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    uint64_t x = state_;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdu;
    x ^= x >> 33;
    return x;
  }
  uint64_t Below(uint64_t n) { return n == 0 ? 0 : Next() % n; }
  bool Chance(int inTen) { return Below(10) < static_cast<uint64_t>(inTen); }
  template <typename T>
  T Pick(const std::vector<T>& v) { return v[Below(v.size())]; }
  std::string Text(std::size_t n, int lowest) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(lowest + Below(256 - lowest));
    return s;
  }

private:
  uint64_t state_;
};

enum class Value { Int16, Int32, Int64, Boolean, Float, SmallText, String, Block };

struct Descriptor {
  std::string code;  // the type code and anything up to the first "~"
  Value value;
  int size = 0;      // characters of a SmallStr
};

// Every type code the reader accepts: the kinds' letters, "s" with and
// without digits, every byte read as a SmallStr, and codes followed by bytes
// the reader passes over.
std::vector<Descriptor> EveryDescriptor() {
  std::vector<Descriptor> all = {
      {"l", Value::Int16},   {"i", Value::Int32},   {"e", Value::Int64},  {"b", Value::Boolean},
      {"f", Value::Float},   {"c", Value::Float},   {"d", Value::Int32},  {"v", Value::Int32},
      {"t", Value::Float},   {"a", Value::Int32},   {"o", Value::Block},  {"m", Value::Block},
      {"r", Value::Block},   {"g", Value::Block},   {"s", Value::String}, {"s0", Value::String},
      {"s1", Value::String}, {"s10", Value::String}, {"s35", Value::String}, {"s36", Value::String},
      {"s0100", Value::String}, {"s8191", Value::String}, {"s32767", Value::String},
      {"bxyz", Value::Boolean}, {"i12", Value::Int32}, {"o!", Value::Block}, {"A12", Value::SmallText, 10},
  };
  const std::string kinds = "lieb" "fcdvtaomrgs";
  for (int c = '0'; c <= 255; ++c) {
    if (kinds.find(static_cast<char>(c)) != std::string::npos) continue;
    all.push_back({std::string(1, static_cast<char>(c)), Value::SmallText, c <= '9' ? c - '0' : c - 55});
  }
  return all;
}

// What stands before the blank: with the qualifier "XXX", an empty one,
// another one, none at all, and a name holding dots.
std::string Head(int variant, const std::string& name) {
  switch (variant % 6) {
    case 0: return "XXX." + name;
    case 1: return "." + name;
    case 2: return "Q1." + name;
    case 3: return name;
    case 4: return "XXX." + name + ".part";
    default: return "x\xE9." + name + "\x14\x81";
  }
}

// After the code: nothing, or defaults and extra texts in every form the reader splits.
const std::vector<std::string> kTails = {"", "~", "~x", "~~", "~d~", "~d~e", "~~e~f", "~d~e~", "~ 1/1/2000 ~ x y", "~~"};

double FloatValue(Generator& g) {
  static const std::vector<uint64_t> odd = {
      0x8000000000000000u,  // -0.0
      0x7FF8000000000000u,  // NaN
      0xFFF8000000000000u,  // the NaN of 0.0 / 0.0 on most machines
      0x7FF0000000000001u,  // a signalling NaN
      0x7FF4000000000123u,  // a NaN with a payload
      0x7FF0000000000000u, 0xFFF0000000000000u,  // infinities
      0x7FEFFFFFFFFFFFFFu, 0x0000000000000001u, 0x8010000000000000u,  // largest, smallest, denormal boundary
  };
  switch (g.Below(4)) {
    case 0: return std::bit_cast<double>(g.Pick(odd));
    case 1: return static_cast<double>(730120 + g.Below(3000000)) * 86400000 + g.Below(86400000);  // a calendar DateTime
    case 2: return static_cast<double>(static_cast<int64_t>(g.Next() % 2000001) - 1000000) / 100;
    default: {
      const uint64_t bits = g.Next();
      return bits == 0 ? 1.0 : std::bit_cast<double>(bits);
    }
  }
}

// One value in the canonical form the writer writes: the full width, only
// when not empty, true as FFFF, texts without zero bytes where the kind cannot keep them.
void AppendValue(Generator& g, const Descriptor& d, Bytes& lengths, Bytes& values) {
  const bool empty = g.Chance(2);
  switch (d.value) {
    case Value::Int16: {
      const int16_t v = empty ? 0 : static_cast<int16_t>(g.Pick<int64_t>({1, -1, 32767, -32768, static_cast<int64_t>(g.Next())}));
      lengths.U8(v ? 2 : 0);
      if (v) values.U16(static_cast<uint16_t>(v));
      break;
    }
    case Value::Int32: {
      const int32_t v = empty ? 0
                              : static_cast<int32_t>(g.Pick<int64_t>({1, -1, INT32_MAX, INT32_MIN, 730120, 3652059, 3652060,
                                                                      86399999, 86400000, static_cast<int64_t>(g.Next())}));
      lengths.U8(v ? 4 : 0);
      if (v) values.U32(static_cast<uint32_t>(v));
      break;
    }
    case Value::Int64: {
      const int64_t v = empty ? 0 : g.Pick<int64_t>({INT64_MIN, INT64_MAX, -1, 1, static_cast<int64_t>(g.Next())});
      lengths.U8(v ? 8 : 0);
      if (v) values.I64(v);
      break;
    }
    case Value::Boolean:
      lengths.U8(empty ? 0 : 2);
      if (!empty) values.U16(0xFFFF);
      break;
    case Value::Float: {
      const double v = empty ? 0.0 : FloatValue(g);
      const bool zero = std::bit_cast<uint64_t>(v) == 0;
      lengths.U8(zero ? 0 : 8);
      if (!zero) values.F64(v);
      break;
    }
    case Value::SmallText: {
      const std::size_t n = empty || d.size == 0 ? 0 : 1 + g.Below(d.size);
      lengths.U8(static_cast<uint8_t>(n));
      values.Text(g.Text(n, 1));
      break;
    }
    case Value::String: {
      // The declared size is no limit in the file: longer texts, zero bytes, the longest the reader takes.
      const std::size_t n = empty ? 0 : g.Chance(1) ? 8191 : 1 + g.Below(120);
      lengths.U8(n ? 4 : 0);
      if (n) values.Counted(g.Text(n, 0));
      break;
    }
    case Value::Block: {
      const std::size_t n = empty ? 0 : 1 + g.Below(300);
      lengths.U8(n ? 4 : 0);
      if (n) values.Counted(g.Text(n, 0));
      break;
    }
  }
}

// A plain table of the given descriptors, each with a head and a tail by
// turns, and a few records of generated values.
std::string GeneratedTable(uint64_t seed, const std::vector<Descriptor>& descriptors, int records, bool notes) {
  Generator g(seed);
  // The first field is no SmallStr: a first length byte of 42 ("*") would read as a notes block.
  std::vector<Descriptor> fields = {{"i", Value::Int32}};
  std::vector<std::string> entries = {"XXX.Lead i"};
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    fields.push_back(descriptors[i]);
    const std::string name = "F" + std::to_string(i);
    entries.push_back(Head(static_cast<int>(i + seed), name) + " " + descriptors[i].code +
                      kTails[(i + seed) % kTails.size()]);
  }
  std::string body;
  for (int r = 0; r < records; ++r) {
    Bytes lengths, values;
    for (const Descriptor& d : fields) AppendValue(g, d, lengths, values);
    body += lengths.Str() + values.Str();
  }
  return PlainTable(entries, static_cast<uint32_t>(records), body, notes ? "notes " + g.Text(200, 0) : "");
}

class RoundTrip : public ::testing::Test {
protected:
  // dump, then write from its JSON; the file must come back as it was.
  void ExpectSameBytes(const std::string& original, const std::string& label) {
    WriteFile(dir / "original.d", original);
    const RunResult dump = RunTool({"dump", dir / "original.d"});
    ASSERT_EQ(dump.status, 0) << label << ": " << dump.err;
    std::filesystem::remove(dir / "copy.d");
    const RunResult write = RunTool({"write", dir / "copy.d", "--from", "-"}, dump.out);
    ASSERT_EQ(write.status, 0) << label << ": " << write.err;
    const std::string copy = ReadFile(dir / "copy.d");
    ASSERT_EQ(copy.size(), original.size()) << label;
    for (std::size_t i = 0; i < copy.size(); ++i)
      ASSERT_EQ(static_cast<int>(static_cast<uint8_t>(copy[i])), static_cast<int>(static_cast<uint8_t>(original[i])))
          << label << ": first difference at byte " << i;
  }
  TempDir dir;
};

TEST_F(RoundTrip, EveryDescriptorAndValueComesBackByteForByte) {
  const std::vector<Descriptor> all = EveryDescriptor();
  for (uint64_t seed = 1; seed <= 12; ++seed)
    ExpectSameBytes(GeneratedTable(seed, all, static_cast<int>(seed % 5), seed % 3 != 0), "seed " + std::to_string(seed));
}

TEST_F(RoundTrip, SmallTablesOfEachDescriptor) {
  // One descriptor at a time, so a table of a single odd field is tried too.
  const std::vector<Descriptor> all = EveryDescriptor();
  for (std::size_t i = 0; i < all.size(); ++i)
    ExpectSameBytes(GeneratedTable(100 + i, {all[i]}, 3, i % 2 == 0), "descriptor '" + all[i].code + "'");
}

TEST_F(RoundTrip, TablesWithoutFieldsOrRecords) {
  ExpectSameBytes(PlainTable({}, 0, ""), "no fields");
  ExpectSameBytes(PlainTable({}, 0, "", "only notes"), "no fields, notes");
  ExpectSameBytes(PlainTable({"XXX. b", "Q.A.B s"}, 0, ""), "an empty name, a name with a dot");
}

TEST_F(RoundTrip, DumpShowsTheOddFormsItWritesBack) {
  Bytes rec;
  rec.U8(8).U8(8).U8(4).F64(-0.0).F64(std::bit_cast<double>(uint64_t{0xFFF8000000000000u})).Counted("longer than ten");
  WriteFile(dir / "odd.d", PlainTable({"XXX.Z f", "XXX.N f", "Plain s10~"}, 1, rec.Str()));
  const RunResult dump = RunTool({"dump", dir / "odd.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.out.find("\"Z\": -0.0, \"N\": \"NaN(0xfff8000000000000)\", \"Plain\": \"longer than ten\""),
            std::string::npos)
      << dump.out;
  EXPECT_NE(dump.out.find("\"name\": \"Plain\", \"kind\": \"String\", \"size\": 10, \"default\": \"\", \"extra\": \"\", "
                          "\"entry\": \"Plain s10~\""),
            std::string::npos)
      << dump.out;
}

TEST_F(RoundTrip, ProtectedTablesDifferOnlyInTheirKeyAndWhatItEnciphers) {
  const std::string plain = GeneratedTable(7, EveryDescriptor(), 3, true);
  WriteFile(dir / "plain.d", plain);
  std::string json = RunTool({"dump", dir / "plain.d"}).out;
  json.replace(json.find("\"plain\""), 7, "\"protected\"");
  ASSERT_EQ(RunTool({"write", dir / "p.d", "--from", "-", "--password", "pw"}, json).status, 0);
  const std::string sealed = ReadFile(dir / "p.d");
  ASSERT_EQ(sealed.size(), plain.size() + 40);
  EXPECT_EQ(sealed[4], 'P');
  // Counts and field descriptions are in clear and the same.
  const uint32_t section = static_cast<uint8_t>(plain[13]) | static_cast<uint8_t>(plain[14]) << 8 |
                           static_cast<uint8_t>(plain[15]) << 16;
  EXPECT_EQ(sealed.substr(45, 12 + section), plain.substr(5, 12 + section));
  // Deciphered, the same table: written back plain, the same bytes.
  const RunResult opened = RunTool({"dump", dir / "p.d", "--password", "pw"});
  ASSERT_EQ(opened.status, 0) << opened.err;
  EXPECT_EQ(opened.out, json);
  std::string back = opened.out;
  back.replace(back.find("\"protected\""), 11, "\"plain\"");
  ASSERT_EQ(RunTool({"write", dir / "again.d", "--from", "-"}, back).status, 0);
  EXPECT_EQ(ReadFile(dir / "again.d"), plain);
}

TEST_F(RoundTrip, WhatTheEngineNormalisesIsWrittenInItsOwnForm) {
  // Each odd byte form next to the form the writer gives it (docs/notarra-table.md lists them).
  Bytes odd, even;
  odd.U8(2).U8(4).U8(2).U8(2).U8(4).U8(4).U8(4);
  odd.U16(7).U32(0).U16(1).U16(0).Text(std::string("ab\0c", 4)).Text("wxyz").U32(0);
  even.U8(4).U8(0).U8(2).U8(0).U8(2).U8(3).U8(0);
  even.U32(7).U16(0xFFFF).Text("ab").Text("wxy");
  const std::vector<std::string> entries = {"XXX.Short i", "XXX.Zero i", "XXX.One b", "XXX.False b",
                                            "XXX.Nul 4", "XXX.Over 3", "XXX.NoText s"};
  std::string original = PlainTable(entries, 1, odd.Str() + "trailing bytes", "");
  // An empty notes block, and the section's end mark replaced by other bytes the reader passes over.
  const std::string sectionEnd = std::string("\x12\x14", 2);
  const std::size_t endAt = original.find(sectionEnd, 17) + 1;
  original.replace(endAt, 1, "junk");
  original[13] = static_cast<char>(original[13] + 3);
  original.insert(endAt + 4, std::string("*\0\0", 3));
  original[0] = 1;  // a total length the reader does not read
  WriteFile(dir / "odd.d", original);
  const RunResult dump = RunTool({"dump", dir / "odd.d"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(RunTool({"write", dir / "even.d", "--from", "-"}, dump.out).status, 0);
  EXPECT_EQ(ReadFile(dir / "even.d"), PlainTable(entries, 1, even.Str()));
}

}  // namespace
