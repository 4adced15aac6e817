#include "platform/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "expect_message.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

TEST(IntegerText, DecimalAndHexadecimal) {
  const std::pair<const char*, int32_t> ok[] = {
      {"123", 123},   {"  -45", -45}, {"+7", 7},           {"-0", 0},      {"000042", 42},
      {"$FF", 255},   {"$ff", 255},   {"0x1f", 31},        {"-$10", -16},  {"0X7FFFFFFF", 2147483647},
      {"$FFFFFFFF", -1},  // hexadecimal is a bit pattern of the full width
      {"2147483647", std::numeric_limits<int32_t>::max()}, {"-2147483648", std::numeric_limits<int32_t>::min()},
  };
  for (auto [text, expected] : ok) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt(text, v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  const std::pair<const char*, int64_t> ok64[] = {
      {"$100000000", int64_t{1} << 32}, {"$FFFFFFFFFFFFFFFF", -1}, {"2147483648", 2147483648LL},
      {"9223372036854775807", std::numeric_limits<int64_t>::max()},
      {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
  };
  for (auto [text, expected] : ok64) {
    int64_t v = 0;
    EXPECT_TRUE(TryStrToInt64(text, v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(IntegerText, OverflowAndJunkFailAndLeaveTheTarget) {
  for (const char* bad : {"2147483648", "-2147483649", "$100000000", "99999999999999999999999", "12a", "", " ", "-", "$",
                          "0x", "$G", "1e3", "1.0", "12 ", "1 2", "--1", "0x-1", "\xB9"}) {
    int32_t v = 77;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 77) << bad;
  }
  for (const char* bad : {"9223372036854775808", "$10000000000000000", "12a"}) {
    int64_t v = 77;
    EXPECT_FALSE(TryStrToInt64(bad, v)) << bad;
  }
  ExpectMessage<EConvertError>([] { StrToInt("12a"); }, "'12a' is not a valid integer value");
  EXPECT_THROW(StrToInt64("x"), EConvertError);
}

TEST(FloatText, ParsesWithTheLocaleSeparator) {
  const std::pair<const char*, double> ok[] = {
      {"1.5", 1.5}, {"  -2.25  ", -2.25}, {"1e3", 1000}, {"+1.5E-3", 0.0015}, {".5", 0.5}, {"5.", 5}, {"0.1", 0.1},
      {"123456789012345678901234567890", 123456789012345678901234567890.0}, {"1e-400", 0}  // underflow reads as zero
  };
  for (auto [text, expected] : ok) {
    double v = -1;
    EXPECT_TRUE(TryStrToFloat(text, v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  for (const char* bad : {"", " ", "abc", ".", "-", "1.2.3", "1e", "1e+", "e5", "--1", "1 000", "0x10", "inf", "nan",
                          "1e400", "-1e400", "1,5"}) {
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 42) << bad;
  }
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  double v = 0;
  EXPECT_TRUE(TryStrToFloat("-0,25e2", v, fs));
  EXPECT_EQ(v, -25);
  EXPECT_FALSE(TryStrToFloat("1.5", v, fs));
  EXPECT_FALSE(TryStrToFloat("1.000,5", v, fs));
  ExpectMessage<EConvertError>([] { StrToFloat("1,5"); }, "'1,5' is not a valid floating point value");
}

TEST(FloatToStr, ShortestFormUpTo15DigitsThenExponent) {
  const std::pair<double, const char*> cases[] = {
      {0, "0"}, {-0.0, "0"}, {1, "1"}, {0.1, "0.1"}, {-1.5, "-1.5"}, {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"}, {0.1 + 0.2, "0.3"}, {100, "100"}, {123456789012345.0, "123456789012345"},
      {1234.5678, "1234.5678"}, {0.0001, "0.0001"}, {1e20, "1E20"}, {1e15, "1E15"}, {-2.5e100, "-2.5E100"},
      {0.00001, "1E-5"}, {1.5e-7, "1.5E-7"}, {1234567890123456789.0, "1.23456789012346E18"},
      {std::numeric_limits<double>::infinity(), "INF"}, {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::nan(""), "NAN"},
  };
  for (auto [value, expected] : cases) EXPECT_EQ(FloatToStr(value), expected);
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(1.5e-7, fs), "1,5E-7");
  for (double x : {0.1, 1.0 / 3, -123.456, 1e20, 9.87654321e-12, 5e300}) {
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(x, fs), back, fs)) << x;
    EXPECT_NEAR(back, x, std::fabs(x) * 1e-14) << x;
  }
}

TEST(FormatFloat, Pictures) {
  struct Case {
    const char* pattern;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {"0.######", 0, "0"}, {"0.######", 1.5, "1.5"}, {"0.######", -2.25, "-2.25"}, {"0.######", 1e-7, "0"},
      {"0.######", -1e-7, "0"}, {"0.######", 123456789.123, "123456789.123"}, {"0.######", 0.1 + 0.2, "0.3"},
      {"0.######", 1.0 / 3, "0.333333"}, {"0.######", 1e20, "100000000000000000000"}, {"0.######", 42, "42"},
      // Half away from zero at the last place shown, on the value as written.
      {"0.######", 0.0000005, "0.000001"}, {"0.######", -0.0000005, "-0.000001"}, {"0.######", 0.0000004, "0"},
      {"0.######", 0.9999996, "1"}, {"0.######", 1.2345675, "1.234568"}, {"0.00", 2.675, "2.68"}, {"0", 2.5, "3"},
      {"0", 99.5, "100"}, {"0", -0.4, "0"},
      // Required digits, thousands, exponents, literals and sections.
      {"0.00", 2, "2.00"}, {"000", 7, "007"}, {"#.##", 0.5, ".5"}, {"00.0#", 3.14159, "03.14"}, {"0.0#", 3, "3.0"},
      {"#,##0.00", 1234567.891, "1,234,567.89"}, {"#,##0", 999, "999"}, {"#,##0", -1000, "-1,000"},
      {"0", 123456, "123456"}, {"0.00E+00", 12345, "1.23E+04"}, {"0.0E-0", 0.000123, "1.2E-4"}, {"0.0E-0", 12, "1.2E1"},
      {"0.00E+00", 0, "0.00E+00"}, {"'$'0.00", 3.5, "$3.50"}, {"0.0 \"kg\"", 2, "2.0 kg"}, {"0 'a;b'", 2, "2 a;b"},
      {"0.0;(0.0);'zero'", 5, "5.0"}, {"0.0;(0.0);'zero'", -5, "(5.0)"}, {"0.0;(0.0);'zero'", 0, "zero"},
      {"0.0;(0.0);'zero'", 0.01, "zero"}, {"0;;'none'", -3, "-3"}, {"", 0.25, "0.25"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
}

TEST(SplitFieldNames, SplitsAndTrims) {
  EXPECT_EQ(SplitFieldNames("Group;Subject"), (std::vector<std::string>{"Group", "Subject"}));
  EXPECT_EQ(SplitFieldNames("  Group ;  Sub ject ;"), (std::vector<std::string>{"Group", "Sub ject"}));
  EXPECT_EQ(SplitFieldNames(";;a;; ;b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SplitFieldNames("  ").empty());
}

}  // namespace
