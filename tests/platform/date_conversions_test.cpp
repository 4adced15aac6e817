#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "platform/conversions.h"
#include "expect_message.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

TFormatSettings Us() { return TFormatSettings::UsEnglish(); }

TFormatSettings German() {
  TFormatSettings fs;
  fs.ShortDateFormat = "dd.mm.yyyy";
  fs.DateSeparator = '.';
  fs.LongTimeFormat = "hh:nn:ss";
  fs.DecimalSeparator = ',';
  fs.TimeAMString = fs.TimePMString = "";
  fs.ShortMonthNames[2] = "M\xE4r";
  return fs;
}

TFormatSettings Iso() {
  TFormatSettings fs;
  fs.ShortDateFormat = "yyyy-mm-dd";
  fs.DateSeparator = '-';
  return fs;
}

int CurrentYear() {
  auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  return static_cast<int>(std::chrono::year_month_day(today).year());
}

// A date-time as its parts, compared without floating-point noise.
struct Parts {
  int y, mo, d, h, mi, s, ms;
  bool operator==(const Parts&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Parts& p) {
  return os << p.y << '-' << p.mo << '-' << p.d << ' ' << p.h << ':' << p.mi << ':' << p.s << '.' << p.ms;
}
Parts Split(TDateTime v) {
  Parts p{};
  DecodeDate(v, p.y, p.mo, p.d);
  DecodeTime(v, p.h, p.mi, p.s, p.ms);
  return p;
}

struct TextCase {
  const char* text;
  TFormatSettings fs;
  Parts expected;
};

TEST(DateText, ReadsTheFormatsOrder) {
  const int now = CurrentYear();
  TFormatSettings blank;
  blank.ShortDateFormat = "d/m/yyyy";
  blank.DateSeparator = ' ';
  const TextCase cases[] = {
      {"3/15/2024", Us(), {2024, 3, 15, 0, 0, 0, 0}},      {" 03/05/2024 ", Us(), {2024, 3, 5, 0, 0, 0, 0}},
      {"12/29/1899", Us(), {1899, 12, 29, 0, 0, 0, 0}},    {"15.03.2024", German(), {2024, 3, 15, 0, 0, 0, 0}},
      {"5.3.2024", German(), {2024, 3, 5, 0, 0, 0, 0}},    {"2024-03-15", Iso(), {2024, 3, 15, 0, 0, 0, 0}},
      {"15 3 2024", blank, {2024, 3, 15, 0, 0, 0, 0}},     {"2/29/2024", Us(), {2024, 2, 29, 0, 0, 0, 0}},
      {"1/2/0024", Us(), {24, 1, 2, 0, 0, 0, 0}},  // four digits are the year as written
      // Month names, long or short, in any case.
      {"15.M\xC4R.2024", German(), {2024, 3, 15, 0, 0, 0, 0}}, {"15.march.2024", German(), {2024, 3, 15, 0, 0, 0, 0}},
      {"Mar/15/2024", Us(), {2024, 3, 15, 0, 0, 0, 0}},
      // No year: the current one.
      {"3/15", Us(), {now, 3, 15, 0, 0, 0, 0}},            {"15.3", German(), {now, 3, 15, 0, 0, 0, 0}},
  };
  for (const TextCase& c : cases) {
    TDateTime d = 0;
    ASSERT_TRUE(TryStrToDate(c.text, d, c.fs)) << c.text;
    EXPECT_EQ(Split(d), c.expected) << c.text;
  }
}

TEST(DateText, TwoDigitYearsFallInTheCenturyWindow) {
  const int now = CurrentYear();
  TFormatSettings fs = Us();
  for (int yy = 0; yy < 100; ++yy) {
    TDateTime d = 0;
    ASSERT_TRUE(TryStrToDate("1/2/" + std::to_string(yy), d, fs)) << yy;
    int y = Split(d).y;
    EXPECT_EQ(y % 100, yy);
    EXPECT_GE(y, now - 50);
    EXPECT_LT(y, now + 50);
  }
  fs.TwoDigitYearCenturyWindow = 0;
  TDateTime d = 0;
  ASSERT_TRUE(TryStrToDate("1/2/24", d, fs));
  EXPECT_EQ(Split(d).y, 1924);
}

TEST(DateText, InvalidDatesFail) {
  for (const char* bad : {"2/30/2024", "2/29/2023", "13/1/2024", "0/1/2024", "1/0/2024", "1/32/2024", "1/2/2024x", "1//2024",
                          "", "  ", "1/2/3/4", "abc", "1/2/10000", "1/2/0000", "1/2/12345", "/1/2024", "1/2/", "1-2-2024",
                          "Marz/15/2024"}) {
    TDateTime d = 42;
    EXPECT_FALSE(TryStrToDate(bad, d, Us())) << bad;
    EXPECT_EQ(d, 42) << bad;
  }
  TDateTime d = 0;
  EXPECT_FALSE(TryStrToDate("3/15/2024", d, German()));
  ExpectMessage<EConvertError>([] { StrToDate("2/30/2024", Us()); }, "'2/30/2024' is not a valid date");
}

TEST(TimeText, ClockTimesWithAmPm) {
  TFormatSettings vorm = Us();
  vorm.TimeAMString = "vorm.";
  vorm.TimePMString = "nachm.";
  const TextCase cases[] = {
      {"10:30", Us(), {1899, 12, 30, 10, 30, 0, 0}},        {"10:30:15", Us(), {1899, 12, 30, 10, 30, 15, 0}},
      {"10:30:15.25", Us(), {1899, 12, 30, 10, 30, 15, 250}}, {"23:59:59.999", Us(), {1899, 12, 30, 23, 59, 59, 999}},
      {"7", Us(), {1899, 12, 30, 7, 0, 0, 0}},              {"08:05:09,5", German(), {1899, 12, 30, 8, 5, 9, 500}},
      {"2:05 PM", Us(), {1899, 12, 30, 14, 5, 0, 0}},       {"2:05pm", Us(), {1899, 12, 30, 14, 5, 0, 0}},
      {"12:00 AM", Us(), {1899, 12, 30, 0, 0, 0, 0}},       {"12:30 PM", Us(), {1899, 12, 30, 12, 30, 0, 0}},
      {"11:59:59 pm", Us(), {1899, 12, 30, 23, 59, 59, 0}}, {"AM 9:15", Us(), {1899, 12, 30, 9, 15, 0, 0}},
      {"3:00 nachm.", vorm, {1899, 12, 30, 15, 0, 0, 0}},   {"3:00 PM", vorm, {1899, 12, 30, 15, 0, 0, 0}},
  };
  for (const TextCase& c : cases) {
    TDateTime t = 0;
    ASSERT_TRUE(TryStrToTime(c.text, t, c.fs)) << c.text;
    EXPECT_EQ(Split(t), c.expected) << c.text;
  }
  for (const char* bad : {"13:00 PM", "0:30 AM", "24:00", "10:60", "10:00:60", "10:", "10::00", "abc", "", "10:00 XM",
                          "10:00:00.1234", "10:00 AM PM", "-1:00", "10:00:00."}) {
    TDateTime t = 42;
    EXPECT_FALSE(TryStrToTime(bad, t, Us())) << bad;
    EXPECT_EQ(t, 42) << bad;
  }
  ExpectMessage<EConvertError>([] { StrToTime("25:00", Us()); }, "'25:00' is not a valid time");
}

TEST(DateTimeText, DateWithOptionalTimeOrTimeAlone) {
  const TextCase cases[] = {
      {"3/15/2024 2:30 PM", Us(), {2024, 3, 15, 14, 30, 0, 0}},
      {"3/15/2024", Us(), {2024, 3, 15, 0, 0, 0, 0}},
      {"15.03.2024 08:05:09", German(), {2024, 3, 15, 8, 5, 9, 0}},
      {"14:30", Us(), {1899, 12, 30, 14, 30, 0, 0}},
      {"10", Us(), {1899, 12, 30, 10, 0, 0, 0}},  // a lone number is an hour
      {"12/29/1899 6:00 AM", Us(), {1899, 12, 29, 6, 0, 0, 0}},
  };
  for (const TextCase& c : cases) {
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDateTime(c.text, v, c.fs)) << c.text;
    EXPECT_EQ(Split(v), c.expected) << c.text;
  }
  TDateTime v = 0;
  ASSERT_TRUE(TryStrToDateTime("12/29/1899 6:00 AM", v, Us()));
  EXPECT_EQ(v, -1.25);  // before day zero the time still counts forward within the day
  for (const char* bad : {"3/15/2024 25:00", "3/15/2024x", "3/15/20242:30", "2/30/2024 1:00", "3/15/2024 2:30 PM x", "", "x"}) {
    TDateTime w = 42;
    EXPECT_FALSE(TryStrToDateTime(bad, w, Us())) << bad;
    EXPECT_EQ(w, 42) << bad;
  }
  ExpectMessage<EConvertError>([] { StrToDateTime("3/15/2024 25:00", Us()); }, "'3/15/2024 25:00' is not a valid date and time");
}

TEST(DateTimeText, FormatsWithTheLocale) {
  TDateTime afternoon = EncodeDate(2024, 3, 15) + EncodeTime(14, 5, 9, 0);
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5), Us()), "3/5/2024");
  EXPECT_EQ(DateToStr(EncodeDate(987, 12, 25), Us()), "12/25/0987");
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5), German()), "05.03.2024");
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5), Iso()), "2024-03-05");
  EXPECT_EQ(TimeToStr(afternoon, Us()), "2:05:09 PM");
  EXPECT_EQ(TimeToStr(0, Us()), "12:00:00 AM");
  EXPECT_EQ(TimeToStr(0.5, Us()), "12:00:00 PM");
  EXPECT_EQ(TimeToStr(afternoon, German()), "14:05:09");
  EXPECT_EQ(DateTimeToStr(afternoon, Us()), "3/15/2024 2:05:09 PM");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 15), Us()), "3/15/2024");  // no time at midnight
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 15) + EncodeTime(0, 0, 1, 0), Us()), "3/15/2024 12:00:01 AM");
  EXPECT_EQ(DateTimeToStr(-1.25, Us()), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(DateTimeToStr(afternoon, German()), "15.03.2024 14:05:09");
  for (double bad : {std::nan(""), 1e300, -1e300}) EXPECT_FALSE(DateTimeToStr(bad, Us()).empty());
}

TEST(DateTimeText, FormatTokens) {
  TDateTime v = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  const std::pair<const char*, const char*> cases[] = {
      {"yyyy-mm-dd hh:nn:ss.zzz", "2024-03-05 14:07:09.045"}, {"dddd, mmmm d, yyyy", "Tuesday, March 5, 2024"},
      {"ddd d mmm yy", "Tue 5 Mar 24"}, {"h:mm am/pm", "2:07 pm"}, {"hh:mm A/P", "02:07 P"}, {"h ampm", "2 PM"},
      {"hh:mm", "14:07"},  // m after h is the minute
      {"mm", "03"},        // and otherwise the month
      {"m/d/yy", "3/5/24"}, {"'Day' d \"of\" m", "Day 5 of 3"}, {"h:n:s", "14:7:9"}, {"t", "2:07 PM"},
      {"c", "3/5/2024 2:07:09 PM"}, {"ddddd", "3/5/2024"},
  };
  for (auto [format, expected] : cases) EXPECT_EQ(FormatDateTime(format, v, Us()), expected) << format;
  EXPECT_EQ(FormatDateTime("h:mm AM/PM", EncodeTime(9, 3, 0, 0), Us()), "9:03 AM");
  EXPECT_EQ(FormatDateTime("d/m", v, German()), "5.3");
}

TEST(DateTimeText, FormattedTextsReadBack) {
  for (const TFormatSettings& fs : {Us(), German(), Iso()}) {
    for (int day = 0; day < 3000; day += 37) {
      TDateTime v = EncodeDate(1995, 1, 1) + day + EncodeTime(day % 24, day % 60, day % 59, 0);
      TDateTime back = 0;
      ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(v, fs), back, fs)) << DateTimeToStr(v, fs);
      EXPECT_EQ(Split(back), Split(v)) << DateTimeToStr(v, fs);
    }
  }
}

}  // namespace
