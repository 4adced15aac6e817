// The text formats notarra-table reads and writes: JSON, CSV, base64, UTF-8.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tools/base64.h"
#include "tools/csv.h"
#include "tools/field_values.h"
#include "tools/json.h"
#include "tools/utf8.h"

using namespace notarra;

namespace {

std::string ParseError(std::string_view text) {
  try {
    json::Parse(text);
  } catch (const json::Error& e) {
    return e.what();
  }
  return "";
}

TEST(JsonReader, ReadsEveryKindOfValue) {
  const json::Value v = json::Parse(R"( {"a": [1, -2.5e3, true, false, null], "b": {"c": "d"}, "e": []} )");
  ASSERT_EQ(v.type, json::Type::Object);
  ASSERT_EQ(v.members.size(), 3u);
  const json::Value& a = *v.Find("a");
  ASSERT_EQ(a.items.size(), 5u);
  EXPECT_EQ(a.items[0].text, "1");
  EXPECT_EQ(a.items[1].text, "-2.5e3");  // literal kept for exact conversion
  EXPECT_TRUE(a.items[2].boolean);
  EXPECT_EQ(a.items[3].type, json::Type::Boolean);
  EXPECT_FALSE(a.items[3].boolean);
  EXPECT_EQ(a.items[4].type, json::Type::Null);
  EXPECT_EQ(v.Find("b")->Find("c")->text, "d");
  EXPECT_TRUE(v.Find("e")->items.empty());
  EXPECT_EQ(v.Find("zz"), nullptr);
}

TEST(JsonReader, DecodesEscapesAndSurrogatePairs) {
  const json::Value v = json::Parse(R"("q\" b\\ s\/ \b\f\n\r\t \u00e9 \u20AC \ud83d\ude00 \u0000")");
  EXPECT_EQ(v.text, std::string("q\" b\\ s/ \b\f\n\r\t \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 ") + '\0');
}

TEST(JsonReader, RefusesWhatRfc8259Refuses) {
  const char* bad[] = {
      "",  "{",          "[1,]",     "{\"a\":1,}", "{a:1}",   "'x'",      "01",        "1.",      ".5",
      "+1", "1e",        "NaN",      "tru",        "nul",     "[1 2]",    "{\"a\" 1}", "\"\\x\"", "\"a\nb\"",
      "\"\\ud800\"",     "\"\\udc00\"", "\"\\u12\"", "// c\n1", "1 2",     "\"\xC3\"",  "\"\xC0\x80\"",
      "\"\xED\xA0\x80\"",  // an encoded surrogate is not UTF-8
  };
  for (const char* text : bad) EXPECT_NE(ParseError(text), "") << "accepted: " << text;
}

TEST(JsonReader, ErrorsGiveLineAndColumn) {
  EXPECT_EQ(ParseError("{\n  \"a\": 1,\n  \"b\" 2\n}"), "JSON error at line 3, column 7: expected ':' after the member name");
  EXPECT_EQ(ParseError("[1,\n2,]"), "JSON error at line 2, column 3: trailing ',' before ']'");
  EXPECT_EQ(ParseError("\"abc"), "JSON error at line 1, column 1: unterminated string");
}

TEST(JsonReader, DeepNestingFailsCleanly) {
  const std::string deep(100000, '[');
  EXPECT_NE(ParseError(deep), "");
}

TEST(JsonReader, WalksALargeDocumentPieceByPiece) {
  json::Reader r(R"({"fields": [1, 2], "records": [{"x": 1}, {"x": 2}]})");
  r.BeginObject();
  std::string key;
  ASSERT_TRUE(r.NextMember(key));
  EXPECT_EQ(key, "fields");
  EXPECT_EQ(r.ReadValue().items.size(), 2u);
  ASSERT_TRUE(r.NextMember(key));
  EXPECT_EQ(key, "records");
  EXPECT_EQ(r.PeekType(), json::Type::Array);
  r.BeginArray();
  std::vector<std::string> xs;
  while (r.NextItem()) xs.push_back(r.ReadValue().Find("x")->text);
  EXPECT_EQ(xs, (std::vector<std::string>{"1", "2"}));
  EXPECT_FALSE(r.NextMember(key));
  r.End();
}

TEST(JsonWriter, EscapesWhatJsonRequiresAndReadsBack) {
  std::string all;
  for (int c = 0; c < 0x80; ++c) all += static_cast<char>(c);
  all += "\xC3\xA9\xE2\x82\xAC";
  std::string out;
  json::AppendString(out, all);
  for (char c : out) EXPECT_GE(static_cast<unsigned char>(c), 0x20u);
  EXPECT_EQ(json::Parse(out).text, all);

  out.clear();
  json::AppendString(out, "a\"b\\c\nd\x01");
  EXPECT_EQ(out, R"("a\"b\\c\nd\u0001")");
}

TEST(JsonNumbers, DoublesRoundTripExactly) {
  const double values[] = {0.1, 1.0 / 3, -2.5, 1e300, 5e-324, std::numeric_limits<double>::max(),
                           123456789012345680.0, 0.30000000000000004, -0.0};
  for (double v : values) {
    double back = 0;
    ASSERT_TRUE(json::ToDouble(json::NumberText(v), back)) << json::NumberText(v);
    EXPECT_EQ(std::memcmp(&v, &back, sizeof v), 0) << json::NumberText(v);
  }
  EXPECT_EQ(json::NumberText(0.1), "0.1");
  EXPECT_EQ(json::NumberText(2.0), "2");
}

TEST(JsonNumbers, IntegerLiteralsConvertOnlyWhenWholeAndInRange) {
  int64_t v = 0;
  EXPECT_TRUE(json::ToInt64("-9223372036854775808", v));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_FALSE(json::ToInt64("9223372036854775808", v));
  EXPECT_FALSE(json::ToInt64("1.0", v));
  EXPECT_FALSE(json::ToInt64("1e3", v));
  double d;
  EXPECT_FALSE(json::ToDouble("1e400", d));
}

TEST(Csv, QuotesOnlyFieldsThatNeedIt) {
  std::string out;
  csv::AppendRecord(out, {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\rx", ""});
  EXPECT_EQ(out, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\rx\",\r\n");
  out.clear();
  csv::AppendRecord(out, {""});
  EXPECT_EQ(out, "\"\"\r\n");  // not a blank line
}

TEST(Csv, ReadsWhatItWritesWithAnyLineEnd) {
  const std::vector<std::vector<std::string>> rows = {
      {"h1", "h2", "h3"}, {"a,b", "say \"hi\"", "x\r\ny"}, {"", "", ""}, {"\xC3\xA9", " spaced ", "last"}};
  std::string text;
  for (const auto& r : rows) csv::AppendRecord(text, r);
  for (const std::string& variant : {text, std::string("\xEF\xBB\xBF") + text}) {
    csv::Reader reader(variant);
    std::vector<std::string> row;
    std::vector<std::vector<std::string>> back;
    while (reader.ReadRecord(row)) back.push_back(row);
    EXPECT_EQ(back, rows);
  }
  csv::Reader lf("a,b\n1,2\n3,\"4\n5\"\n6,7");
  std::vector<std::string> row;
  std::vector<int> lines;
  std::vector<std::vector<std::string>> back;
  while (lf.ReadRecord(row)) {
    back.push_back(row);
    lines.push_back(lf.RecordLine());
  }
  EXPECT_EQ(back, (std::vector<std::vector<std::string>>{{"a", "b"}, {"1", "2"}, {"3", "4\n5"}, {"6", "7"}}));
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 5}));
}

TEST(Csv, BlankLinesAreSkippedAndAQuotedEmptyFieldIsARecord) {
  csv::Reader r("x\r\n\r\n\ny\r\n\"\"\r\nz\r\n\r\n");
  std::vector<std::string> row;
  std::vector<std::vector<std::string>> back;
  std::vector<int> lines;
  while (r.ReadRecord(row)) {
    back.push_back(row);
    lines.push_back(r.RecordLine());
  }
  EXPECT_EQ(back, (std::vector<std::vector<std::string>>{{"x"}, {"y"}, {""}, {"z"}}));
  EXPECT_EQ(lines, (std::vector<int>{1, 4, 5, 6}));
}

TEST(Csv, MalformedQuotingNamesTheLine) {
  const auto error = [](std::string_view text) -> std::string {
    try {
      csv::Reader r(text);
      std::vector<std::string> row;
      while (r.ReadRecord(row)) {
      }
    } catch (const csv::Error& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(error("a\nb\"c\n"), "CSV error on line 2: quote inside an unquoted field (enclose the field in quotes and double it)");
  EXPECT_NE(error("a\n\"b\"c\n"), "");
  EXPECT_EQ(error("a\n\"open\nstill open"), "CSV error on line 2: quoted field is not closed");
}

TEST(Base64, Rfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(base64::Encode(plain), encoded);
    std::string back, error;
    ASSERT_TRUE(base64::Decode(encoded, back, error)) << error;
    EXPECT_EQ(back, plain);
  }
}

TEST(Base64, EveryByteValueRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  std::string back, error;
  ASSERT_TRUE(base64::Decode(base64::Encode(bytes), back, error));
  EXPECT_EQ(back, bytes);
}

TEST(Base64, RefusesMalformedText) {
  std::string out, error;
  for (const char* bad : {"Zg=", "Zg==Zg==", "Z===", "Zm9v!A==", "Zm 9v", "=Zm9"})
    EXPECT_FALSE(base64::Decode(bad, out, error)) << bad;
}

TEST(Utf8, FindsTheFirstInvalidSequence) {
  std::size_t bad = 99;
  EXPECT_TRUE(utf8::IsValid("abc \xC3\xA9 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(utf8::IsValid("ab\xC3", &bad));
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(utf8::IsValid("a\xE0\x80\xAF", &bad));  // overlong "/"
  EXPECT_EQ(bad, 1u);
  EXPECT_FALSE(utf8::IsValid("\xF4\x90\x80\x80", &bad));  // above U+10FFFF
  EXPECT_FALSE(utf8::IsValid("\x80", &bad));
}

TEST(CalendarTexts, ParseOnlyRealDatesAndTimes) {
  int32_t day = 0, ms = 0;
  ASSERT_TRUE(ParseDateText("2000-01-01", day));
  EXPECT_EQ(day, 730120);
  ASSERT_TRUE(ParseDateText("0001-01-01", day));
  EXPECT_EQ(day, 1);
  EXPECT_TRUE(ParseDateText("2024-02-29", day));
  for (const char* bad : {"2023-02-29", "2000-13-01", "2000-1-1", "0000-01-01", "2000/01/01", "2000-01-01x"})
    EXPECT_FALSE(ParseDateText(bad, day)) << bad;

  ASSERT_TRUE(ParseTimeText("12:34:56.789", ms));
  EXPECT_EQ(ms, 45296789);
  ASSERT_TRUE(ParseTimeText("23:59", ms));
  EXPECT_EQ(ms, 86340000);
  ASSERT_TRUE(ParseTimeText("00:00:01.5", ms));
  EXPECT_EQ(ms, 1500);
  for (const char* bad : {"24:00:00", "12:60", "12:00:60", "1:00", "12:00:00.", "12:00:00.1234"})
    EXPECT_FALSE(ParseTimeText(bad, ms)) << bad;

  double stored = 0;
  ASSERT_TRUE(ParseDateTimeText("2000-01-01T01:02:03.004", stored));
  EXPECT_EQ(stored, 730120.0 * 86400000 + 3723004);
  ASSERT_TRUE(ParseDateTimeText("2000-01-01 01:02", stored));
  ASSERT_TRUE(ParseDateTimeText("2000-01-01", stored));
  EXPECT_EQ(stored, 730120.0 * 86400000);
  EXPECT_FALSE(ParseDateTimeText("2000-01-01T", stored));
}

TEST(CalendarTexts, FormatTheStoredForms) {
  EXPECT_EQ(DayNumberText(730120), "2000-01-01");
  EXPECT_EQ(DayNumberText(1), "0001-01-01");
  EXPECT_EQ(DayNumberText(3652059), "9999-12-31");
  EXPECT_EQ(TimeText(0), "00:00:00.000");
  EXPECT_EQ(TimeText(86399999), "23:59:59.999");
}

}  // namespace
