// Value operations shared by ordering, searching and filtering: comparison
// per kind, and the conversions between text and stored values.
#include <gtest/gtest.h>

#include "platform/format_settings.h"
#include "table_bytes.h"

using namespace notarra;

using namespace tt;

namespace {

constexpr int32_t kJan1st2000 = 730120;
constexpr double kMsPerDay = 86400000.0;

class Values : public ::testing::Test {
protected:
  void SetUp() override {
    saved = FormatSettings();
    FormatSettings() = TFormatSettings::UsEnglish();
    c.AddField("SI", TVelaFieldKind::SmallInt);
    c.AddField("IN", TVelaFieldKind::Integer);
    c.AddField("BI", TVelaFieldKind::Int64);
    c.AddField("BO", TVelaFieldKind::Boolean);
    c.AddField("DB", TVelaFieldKind::Double);
    c.AddField("CU", TVelaFieldKind::Currency);
    c.AddField("DA", TVelaFieldKind::Date);
    c.AddField("TI", TVelaFieldKind::Time);
    c.AddField("DT", TVelaFieldKind::DateTime);
    c.AddField("AI", TVelaFieldKind::AutoInc);
    c.AddField("SS", TVelaFieldKind::SmallStr, 5);
    c.AddField("ST", TVelaFieldKind::String, 10);
    c.AddField("BL", TVelaFieldKind::BLOB);
    c.AddField("ME", TVelaFieldKind::Memo);
    c.AddField("FM", TVelaFieldKind::FmtMemo);
    c.AddField("GR", TVelaFieldKind::Graphic);
  }
  void TearDown() override { FormatSettings() = saved; }

  const TVelaField& F(std::string_view name) { return *c.FindField(name); }
  int Sign(int v) { return (v > 0) - (v < 0); }

  // Sign of comparing a against b on one field, both set through the setter.
  template <typename T>
  int Cmp(std::string_view field, T a, T b, bool ci = false) {
    Area x(c), y(c);
    x.set<T>(field, a);
    y.set<T>(field, b);
    return Sign(c.CompareValues(x, y, F(field), ci));
  }
  int CmpText(std::string_view field, std::string_view a, std::string_view b, bool ci = false) {
    Area x(c), y(c);
    x.text(field, a);
    y.text(field, b);
    return Sign(c.CompareValues(x, y, F(field), ci));
  }
  int CmpBlob(std::string_view field, std::string_view a, std::string_view b, bool ci = false) {
    Area x(c), y(c);
    x.blob(field, a);
    y.blob(field, b);
    return Sign(c.CompareValues(x, y, F(field), ci));
  }

  template <typename T>
  T Parse(std::string_view field, std::string_view text) {
    Area a(c);
    c.TextToValue(text, F(field), a);
    return Get<T>(c, a, field);
  }
  std::string ParseText(std::string_view field, std::string_view text) {
    Area a(c);
    c.TextToValue(text, F(field), a);
    return Str(c, a, field);
  }
  template <typename T>
  std::string Show(std::string_view field, T v) {
    Area a(c);
    a.set<T>(field, v);
    return c.ValueToText(a, F(field));
  }

  TVelaCursor c;
  TFormatSettings saved;
};

// ---- CompareValues --------------------------------------------------------

TEST_F(Values, IntegersCompareSigned) {
  EXPECT_EQ(Cmp<int16_t>("SI", -1, 1), -1);
  EXPECT_EQ(Cmp<int16_t>("SI", 300, 300), 0);
  EXPECT_EQ(Cmp<int32_t>("IN", -5, 3), -1);
  EXPECT_EQ(Cmp<int32_t>("IN", 2000000000, -2000000000), 1);
  EXPECT_EQ(Cmp<int32_t>("AI", 7, 8), -1);
  EXPECT_EQ(Cmp<int32_t>("DA", kJan1st2000 + 1, kJan1st2000), 1);
  EXPECT_EQ(Cmp<int32_t>("TI", 1000, 999), 1);
  // Values that differ only above the low 32 bits.
  EXPECT_EQ(Cmp<int64_t>("BI", int64_t{1} << 40, 1), 1);
  EXPECT_EQ(Cmp<int64_t>("BI", -(int64_t{1} << 40), 1), -1);
  EXPECT_EQ(Cmp<int64_t>("BI", int64_t{1} << 33, int64_t{1} << 32), 1);
}

TEST_F(Values, DoublesCompareAsDoubles) {
  // Differences below 1 must not vanish.
  EXPECT_EQ(Cmp<double>("DB", 0.5, 0.25), 1);
  EXPECT_EQ(Cmp<double>("CU", 0.01, 0.02), -1);
  EXPECT_EQ(Cmp<double>("DB", -1e300, 1e300), -1);
  EXPECT_EQ(Cmp<double>("DT", kJan1st2000 * kMsPerDay + 1, kJan1st2000 * kMsPerDay), 1);
  EXPECT_EQ(Cmp<double>("DB", 0.1, 0.1), 0);
}

TEST_F(Values, BooleanTrueComesFirst) {
  EXPECT_EQ(Cmp<int16_t>("BO", -1, 0), -1);
  EXPECT_EQ(Cmp<int16_t>("BO", 0, -1), 1);
  EXPECT_EQ(Cmp<int16_t>("BO", -1, 1), 0);  // any non-zero value is true
  EXPECT_EQ(Cmp<int16_t>("BO", 0, 0), 0);
}

TEST_F(Values, TextComparison) {
  EXPECT_EQ(CmpText("SS", "", "a"), -1);
  EXPECT_EQ(CmpText("SS", "a", ""), 1);
  EXPECT_EQ(CmpText("SS", "ab", "abc"), -1);
  EXPECT_EQ(CmpText("SS", "abd", "abc"), 1);
  // Case-sensitive: byte order, upper case before lower case.
  EXPECT_EQ(CmpText("SS", "B", "a"), -1);
  EXPECT_EQ(CmpText("SS", "ABC", "abc"), -1);
  // Bytes compare unsigned: an accented letter (0xE9) after "z".
  EXPECT_EQ(CmpText("SS", "\xE9", "z"), 1);
  // Case-insensitive.
  EXPECT_EQ(CmpText("SS", "B", "a", true), 1);
  EXPECT_EQ(CmpText("SS", "ABC", "abc", true), 0);
  EXPECT_EQ(CmpText("SS", "abc", "ABD", true), -1);
  EXPECT_EQ(CmpText("SS", "AB", "abc", true), -1);
}

TEST_F(Values, RightAlignedSmallStrPutsShorterFirst) {
  EXPECT_EQ(CmpText("SS", "9", "10"), 1);
  TVelaField right = F("SS");
  right.RightAligned = true;
  Area nine(c), ten(c), eleven(c);
  nine.text("SS", "9");
  ten.text("SS", "10");
  eleven.text("SS", "11");
  EXPECT_LT(c.CompareValues(nine, ten, right, false), 0);
  EXPECT_GT(c.CompareValues(ten, nine, right, false), 0);
  EXPECT_LT(c.CompareValues(ten, eleven, right, false), 0);
  EXPECT_EQ(c.CompareValues(ten, ten, right, false), 0);
}

TEST_F(Values, StringMissingTextFirst) {
  EXPECT_EQ(CmpText("ST", "", "a"), -1);
  EXPECT_EQ(CmpText("ST", "a", ""), 1);
  EXPECT_EQ(CmpText("ST", "", ""), 0);
  EXPECT_EQ(CmpText("ST", "Zebra", "apple"), -1);
  EXPECT_EQ(CmpText("ST", "Zebra", "apple", true), 1);
  EXPECT_EQ(CmpText("ST", "same", "same"), 0);
}

TEST_F(Values, MemoComparesItsBytesAsText) {
  EXPECT_EQ(CmpBlob("ME", "", "a"), -1);
  EXPECT_EQ(CmpBlob("ME", "a", ""), 1);
  EXPECT_EQ(CmpBlob("ME", "", ""), 0);
  EXPECT_EQ(CmpBlob("ME", "ab", "b"), -1);  // text order, not length order
  EXPECT_EQ(CmpBlob("FM", "b", "ab"), 1);
  EXPECT_EQ(CmpBlob("FM", "abc", "ab"), 1);
  EXPECT_EQ(CmpBlob("ME", "ABC", "abc"), -1);
  EXPECT_EQ(CmpBlob("ME", "ABC", "abc", true), 0);
}

TEST_F(Values, BlobAndGraphicAlwaysEqual) {
  EXPECT_EQ(CmpBlob("BL", "a", "b"), 0);
  EXPECT_EQ(CmpBlob("BL", "", "xyz"), 0);
  EXPECT_EQ(CmpBlob("GR", "\x89PNG", "GIF8"), 0);
}

TEST_F(Values, CompareRecordsFieldByFieldUpToCount) {
  Area a(c), b(c);
  a.set<int32_t>("IN", 1).text("SS", "b");
  b.set<int32_t>("IN", 1).text("SS", "a");
  TVelaFieldList list = c.ResolveFieldList("IN;SS");
  EXPECT_GT(c.CompareRecords(a, b, list), 0);
  EXPECT_GT(c.CompareRecords(a, b, list, -1), 0);
  EXPECT_EQ(c.CompareRecords(a, b, list, 1), 0);
  EXPECT_EQ(c.CompareRecords(a, b, list, 0), 0);
  b.set<int32_t>("IN", 0);
  EXPECT_GT(c.CompareRecords(a, b, list), 0);
  b.set<int32_t>("IN", 2);
  EXPECT_LT(c.CompareRecords(a, b, list), 0);
  // Always case-sensitive.
  a.set<int32_t>("IN", 1).text("SS", "B");
  b.set<int32_t>("IN", 1).text("SS", "a");
  EXPECT_LT(c.CompareRecords(a, b, list), 0);
}

// ---- TextToValue ----------------------------------------------------------

TEST_F(Values, TextToBoolean) {
  for (const char* t : {"true", "TRUE", "Yes", "t", "1", "\xC4\xC0", "\xE4\xE0"}) {
    EXPECT_EQ(Parse<int16_t>("BO", t), -1) << t;
  }
  for (const char* t : {"0", "no", "", "false", "f", "2", "yes!"}) {
    EXPECT_EQ(Parse<int16_t>("BO", t), 0) << t;
  }
}

TEST_F(Values, TextToIntegers) {
  EXPECT_EQ(Parse<int32_t>("IN", "-7"), -7);
  EXPECT_EQ(Parse<int32_t>("IN", "$1F"), 31);
  EXPECT_EQ(Parse<int32_t>("IN", "12x"), 0);
  EXPECT_EQ(Parse<int32_t>("IN", "1.5"), 0);
  EXPECT_EQ(Parse<int32_t>("IN", "99999999999"), 0);
  EXPECT_EQ(Parse<int32_t>("AI", "12"), 12);
  EXPECT_EQ(Parse<int16_t>("SI", "70000"), static_cast<int16_t>(70000 & 0xFFFF));
  EXPECT_EQ(Parse<int16_t>("SI", "65535"), -1);
  EXPECT_EQ(Parse<int64_t>("BI", "123456789012"), 123456789012LL);
  EXPECT_EQ(Parse<int64_t>("BI", "-9223372036854775808"), INT64_MIN);
}

TEST_F(Values, TextToValueReplacesTheOldValue) {
  Area a(c);
  a.set<int32_t>("IN", 5).text("ST", "old text").set<double>("DB", 3.0);
  c.TextToValue("", F("IN"), a);
  EXPECT_EQ(Get<int32_t>(c, a, "IN"), 0);
  c.TextToValue("new", F("ST"), a);
  EXPECT_EQ(Str(c, a, "ST"), "new");
  c.TextToValue("", F("ST"), a);
  EXPECT_EQ(data_area::TextRef(a, F("ST")), nullptr);
  c.TextToValue("nonsense", F("DB"), a);
  EXPECT_EQ(Get<double>(c, a, "DB"), 0.0);
  // Other fields untouched.
  a.set<int32_t>("IN", 9);
  c.TextToValue("abc", F("SS"), a);
  EXPECT_EQ(Get<int32_t>(c, a, "IN"), 9);
}

TEST_F(Values, TextToFloats) {
  EXPECT_EQ(Parse<double>("DB", "2.5"), 2.5);
  EXPECT_EQ(Parse<double>("CU", "-1.25"), -1.25);
  EXPECT_EQ(Parse<double>("DB", "abc"), 0.0);
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(Parse<double>("DB", "2,5"), 2.5);
}

TEST_F(Values, TextToDatesAndTimes) {
  EXPECT_EQ(Parse<int32_t>("DA", "1/2/2000"), kJan1st2000 + 1);
  EXPECT_EQ(Parse<int32_t>("DA", "12/31/1999"), kJan1st2000 - 1);
  EXPECT_EQ(Parse<int32_t>("DA", "13/45/2000"), 0);
  EXPECT_EQ(Parse<int32_t>("DA", "2/29/2001"), 0);
  EXPECT_EQ(Parse<int32_t>("DA", "soon"), 0);
  EXPECT_EQ(Parse<int32_t>("TI", "1:30:00 PM"), 48600000);
  EXPECT_EQ(Parse<int32_t>("TI", "never"), 0);
  EXPECT_EQ(Parse<double>("DT", "1/1/2000 12:00:00 PM"), kJan1st2000 * kMsPerDay + 43200000.0);
  EXPECT_EQ(Parse<double>("DT", "garbage"), 0.0);

  FormatSettings().ShortDateFormat = "dd/mm/yyyy";
  EXPECT_EQ(Parse<int32_t>("DA", "02/01/2000"), kJan1st2000 + 1);
}

TEST_F(Values, TextToTextsCutsToSize) {
  EXPECT_EQ(ParseText("SS", "abcdefg"), "abcde");
  EXPECT_EQ(ParseText("SS", "ab"), "ab");
  EXPECT_EQ(ParseText("ST", "0123456789xyz"), "0123456789");
  EXPECT_EQ(ParseText("ST", ""), "");
}

// ---- ValueToText ----------------------------------------------------------

TEST_F(Values, NumbersToText) {
  EXPECT_EQ(Show<int16_t>("SI", -1), "-1");
  EXPECT_EQ(Show<int32_t>("IN", -42), "-42");
  EXPECT_EQ(Show<int32_t>("AI", 7), "7");
  EXPECT_EQ(Show<int64_t>("BI", int64_t{1} << 40), "1099511627776");
  EXPECT_EQ(Show<double>("DB", 2.5), "2.5");
  EXPECT_EQ(Show<double>("DB", 2.0), "2");
  EXPECT_EQ(Show<double>("DB", 1.0 / 3.0), "0.333333");
  EXPECT_EQ(Show<double>("DB", -1.5), "-1.5");
  EXPECT_EQ(Show<double>("DB", 0.0), "0");
  EXPECT_EQ(Show<double>("CU", 1234.5), "1234.5");
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(Show<double>("CU", 2.25), "2,25");
}

TEST_F(Values, BooleanToText) {
  EXPECT_EQ(Show<int16_t>("BO", -1), "Yes");
  EXPECT_EQ(Show<int16_t>("BO", 1), "Yes");
  EXPECT_EQ(Show<int16_t>("BO", 0), "No");
}

TEST_F(Values, DatesAndTimesToText) {
  EXPECT_EQ(Show<int32_t>("DA", kJan1st2000), "1/1/2000");
  EXPECT_EQ(Show<int32_t>("DA", 0), "");
  EXPECT_EQ(Show<int32_t>("DA", -3), "");
  EXPECT_EQ(Show<int32_t>("TI", 48600000), "1:30:00 PM");
  EXPECT_EQ(Show<int32_t>("TI", 0), "");
  EXPECT_EQ(Show<double>("DT", kJan1st2000 * kMsPerDay), "1/1/2000");
  EXPECT_EQ(Show<double>("DT", kJan1st2000 * kMsPerDay + 48600000), "1/1/2000 1:30:00 PM");
  EXPECT_EQ(Show<double>("DT", 0.0), "");
  FormatSettings().ShortDateFormat = "dd/mm/yyyy";
  EXPECT_EQ(Show<int32_t>("DA", kJan1st2000 + 1), "02/01/2000");
}

TEST_F(Values, TextsAndBlocksToText) {
  Area a(c);
  a.text("SS", "abc").blob("ME", "memo text").blob("FM", "{\\rtf1}").blob("BL", "bytes").blob("GR", "img");
  EXPECT_EQ(c.ValueToText(a, F("SS")), "abc");
  EXPECT_EQ(c.ValueToText(a, F("ST")), "");
  EXPECT_EQ(c.ValueToText(a, F("ME")), "memo text");
  EXPECT_EQ(c.ValueToText(a, F("FM")), "{\\rtf1}");
  EXPECT_EQ(c.ValueToText(a, F("BL")), "Not Found");
  EXPECT_EQ(c.ValueToText(a, F("GR")), "Not Found");
  a.text("ST", "string");
  EXPECT_EQ(c.ValueToText(a, F("ST")), "string");
}

TEST_F(Values, TextRoundTrips) {
  Area a(c);
  for (const char* field : {"IN", "DB", "DA", "TI", "DT", "SS", "ST"}) {
    const char* text = std::string_view(field) == "IN"   ? "-123"
                       : std::string_view(field) == "DB" ? "3.75"
                       : std::string_view(field) == "DA" ? "7/4/1976"
                       : std::string_view(field) == "TI" ? "9:05:07 AM"
                       : std::string_view(field) == "DT" ? "7/4/1976 9:05:07 AM"
                                                          : "word";
    c.TextToValue(text, F(field), a);
    EXPECT_EQ(c.ValueToText(a, F(field)), text) << field;
  }
}

}  // namespace
