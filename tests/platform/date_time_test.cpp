#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <limits>

#include <chrono>
#include <cmath>

#include "platform/exceptions.h"

using namespace notarra;

namespace {

using namespace std::chrono;

// Day numbers from the standard library's civil calendar: 1 January 1970 is
// day 719163 when 1 January 0001 is day 1.
constexpr int32_t kUnixEpochDay = 719163;
int32_t ReferenceDayNumber(int y, unsigned m, unsigned d) {
  return static_cast<int32_t>(sys_days(year(y) / month(m) / day(d)).time_since_epoch().count() + kUnixEpochDay);
}

TEST(DayNumbers, KnownDaysAndLeapYears) {
  const struct {
    int y, m, d;
    int32_t expected;
  } known[] = {{1, 1, 1, 1}, {2000, 1, 1, 730120}, {1899, 12, 30, DateDelta}, {1970, 1, 1, kUnixEpochDay}};
  for (auto k : known) {
    int32_t n = 0;
    ASSERT_TRUE(TryEncodeDayNumber(k.y, k.m, k.d, n));
    EXPECT_EQ(n, k.expected) << k.y;
  }
  EXPECT_EQ(DateDelta, 693594);
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2004));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  int32_t n = 77;
  EXPECT_FALSE(TryEncodeDayNumber(1900, 2, 29, n));
  for (auto bad : {std::array{0, 1, 1}, {10000, 1, 1}, {2024, 0, 1}, {2024, 13, 1}, {2024, 4, 31}, {2024, 1, 0}})
    EXPECT_FALSE(TryEncodeDayNumber(bad[0], bad[1], bad[2], n));
  EXPECT_EQ(n, 77);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(1, 0, 0, 1000), EConvertError);
}

TEST(DayNumbers, AgreeWithTheCivilCalendarBothWays) {
  auto check = [](int32_t dayNumber) {
    year_month_day ymd{sys_days{days{dayNumber - kUnixEpochDay}}};
    int y = static_cast<int>(ymd.year()), m = static_cast<int>(static_cast<unsigned>(ymd.month())),
        d = static_cast<int>(static_cast<unsigned>(ymd.day()));
    int32_t encoded = 0;
    ASSERT_TRUE(TryEncodeDayNumber(y, m, d, encoded)) << y << '-' << m << '-' << d;
    ASSERT_EQ(encoded, dayNumber);
    int dy, dm, dd;
    DecodeDayNumber(dayNumber, dy, dm, dd);
    ASSERT_EQ(dy * 10000 + dm * 100 + dd, y * 10000 + m * 100 + d) << dayNumber;
  };
  // Every day from 1890 to 2110, every 97th over all years, and the ends of
  // the 400-, 100- and 4-year cycles where the arithmetic turns.
  for (int32_t n = ReferenceDayNumber(1890, 1, 1); n <= ReferenceDayNumber(2110, 12, 31); ++n) check(n);
  for (int32_t n = 1; n <= ReferenceDayNumber(9999, 12, 31); n += 97) check(n);
  for (int y : {1600, 1700, 2000, 2004, 9999}) check(ReferenceDayNumber(y, 12, 31));
}

TEST(DateTimeValues, CountDaysFrom30December1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  int y, m, d, h, mi, s, ms;
  DecodeDate(36526.75, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
  // -1.25 is 29 December 1899 at 06:00: the fraction is a time of day forward.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, mi, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h * 60 + mi, 6 * 60);
  TTimeStamp stamp = DateTimeToTimeStamp(-1.25);
  EXPECT_EQ(stamp.Date, DateDelta - 1);
  EXPECT_EQ(stamp.Time, 6 * 3600 * 1000);
  EXPECT_EQ(TimeStampToDateTime(stamp), -1.25);
  EXPECT_EQ(TimeStampToDateTime(TTimeStamp{18 * 3600 * 1000, DateDelta - 2}), -2.75);
}

TEST(DateTimeValues, TimeStampsRoundToTheMillisecond) {
  TTimeStamp s = DateTimeToTimeStamp(36526.5);
  EXPECT_EQ(s.Date, 730120);
  EXPECT_EQ(s.Time, 43200000);
  EXPECT_EQ(DateTimeToTimeStamp(0.5 + 0.4 / MSecsPerDay).Time, 43200000);
  EXPECT_EQ(DateTimeToTimeStamp(0.5 + 0.6 / MSecsPerDay).Time, 43200001);
  s = DateTimeToTimeStamp(36526 - 0.1 / MSecsPerDay);  // a hair before midnight is midnight
  EXPECT_EQ(s.Date, 730120);
  EXPECT_EQ(s.Time, 0);
  // Damaged values decode to something rather than to undefined behaviour.
  for (double bad : {std::nan(""), 1e300, -1e300}) {
    EXPECT_GE(DateTimeToTimeStamp(bad).Time, 0);
    EXPECT_GE(MSecsToTimeStamp(bad).Time, 0);
  }
  int h, mi, sec, ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, mi, sec, ms);
  EXPECT_EQ(h * 10000000 + mi * 100000 + sec * 1000 + ms, 235959999);
  for (int dayNumber = 1; dayNumber < 3652059; dayNumber += 9973) {
    for (int32_t msec : {0, 1, 43200000, 86399999}) {
      TTimeStamp stamp{msec, dayNumber};
      TTimeStamp back = DateTimeToTimeStamp(TimeStampToDateTime(stamp));
      ASSERT_EQ(back.Date, dayNumber);
      ASSERT_EQ(back.Time, msec);
      double total = TimeStampToMSecs(stamp);
      ASSERT_EQ(total, dayNumber * 86400000.0 + msec);
      ASSERT_EQ(MSecsToTimeStamp(total).Date, dayNumber);
      ASSERT_EQ(MSecsToTimeStamp(total).Time, msec);
    }
  }
}

// Day numbers at the ends of what a Date field can hold keep their order:
// the lowest once overflowed into a very late date.
TEST(DateTimeValues, StoredDayNumbersAtTheEndsOfTheirRange) {
  const int32_t lowest = std::numeric_limits<int32_t>::min(), highest = std::numeric_limits<int32_t>::max();
  const TDateTime low = TimeStampToDateTime(TTimeStamp{0, lowest});
  const TDateTime high = TimeStampToDateTime(TTimeStamp{0, highest});
  EXPECT_LT(low, EncodeDate(1, 1, 1));
  EXPECT_GT(high, EncodeDate(9999, 12, 31));
  EXPECT_LT(TimeStampToDateTime(TTimeStamp{0, lowest + 1}), EncodeDate(1, 1, 1));
}

TEST(DateTimeValues, DayOfWeekAndNow) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);   // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 15)), 6);  // Friday
  for (int y = 1; y < 10000; y += 61) {
    TDateTime date = EncodeDate(y, 7, 4);
    TDateTime evening = date < 0 ? date - 0.75 : date + 0.75;
    EXPECT_EQ(DayOfWeek(evening), static_cast<int>(weekday{sys_days{year(y) / July / 4}}.c_encoding()) + 1) << y;
  }
  TDateTime now = Now();
  EXPECT_EQ(Date(), std::floor(Date()));
  EXPECT_GE(Time(), 0);
  EXPECT_LT(Time(), 1);
  // Within a day of the UTC clock, whatever the time zone.
  double utc = duration_cast<duration<double, days::period>>(system_clock::now().time_since_epoch()).count() + 25569;
  EXPECT_LT(std::fabs(now - utc), 1.0);
}

}  // namespace
