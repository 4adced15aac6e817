#include "platform/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/exceptions.h"

namespace notarra {

namespace {

constexpr int kDaysBeforeMonth[2][13] = {
    {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

// Days of 400, 100 and 4 years and of one year.
constexpr int kD400 = 146097;
constexpr int kD100 = 36524;
constexpr int kD4 = 1461;
constexpr int kD1 = 365;

// A date part and a time of day make a TDateTime; before 30 December 1899 the
// time still counts forward from that day's midnight, so it is subtracted.
// Days in a wider type: a stored day number near the ends of its range
// does not overflow when it is moved to the 1899 epoch.
TDateTime Compose(int64_t days, double timeFraction) {
  const double d = static_cast<double>(days);
  return days < 0 ? d - timeFraction : d + timeFraction;
}

// Milliseconds rounded to the nearest; values from damaged data (NaN, or far
// beyond the calendar) are held to a range whose day numbers still fit.
int64_t RoundMSecs(double msecs) {
  constexpr double kLimit = 100000000.0 * MSecsPerDay;
  if (std::isnan(msecs)) return 0;
  if (msecs > kLimit) msecs = kLimit;
  if (msecs < -kLimit) msecs = -kLimit;
  return std::llround(msecs);
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month];
}

bool TryEncodeDayNumber(int year, int month, int day, int32_t& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  int y = year - 1;
  out = y * 365 + y / 4 - y / 100 + y / 400 + kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0][month] + day;
  return true;
}

void DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day) {
  if (dayNumber <= 0) {
    year = month = day = 0;
    return;
  }
  int t = dayNumber - 1;
  int y = 1;
  y += (t / kD400) * 400;
  t %= kD400;
  int i = t / kD100;
  int d = t % kD100;
  if (i == 4) {  // the last day of a 400-year cycle
    --i;
    d += kD100;
  }
  y += i * 100;
  y += (d / kD4) * 4;
  d %= kD4;
  i = d / kD1;
  d %= kD1;
  if (i == 4) {  // the last day of a leap year
    --i;
    d += kD1;
  }
  y += i;
  const int* before = kDaysBeforeMonth[IsLeapYear(y) ? 1 : 0];
  int m = 12;
  while (before[m] > d) --m;
  year = y;
  month = m;
  day = d - before[m] + 1;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  int32_t dayNumber;
  if (!TryEncodeDayNumber(year, month, day, dayNumber)) return false;
  out = dayNumber - DateDelta;
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0 || msec >= 1000)
    return false;
  out = (((hour * 60 + minute) * 60 + second) * 1000 + msec) / static_cast<double>(MSecsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result;
  if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime result;
  if (!TryEncodeTime(hour, minute, second, msec, result)) throw EConvertError("Invalid argument to time encode");
  return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  DecodeDayNumber(DateTimeToTimeStamp(value).Date, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
  int32_t t = DateTimeToTimeStamp(value).Time;
  msec = t % 1000;
  t /= 1000;
  second = t % 60;
  t /= 60;
  minute = t % 60;
  hour = t / 60;
}

int DayOfWeek(TDateTime value) {
  int32_t date = DateTimeToTimeStamp(value).Date;
  int r = date % 7;
  if (r < 0) r += 7;
  return r + 1;  // day 1, 1 January 0001, was a Monday
}

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
  // The whole days count toward zero and the fraction is the time of day in
  // both directions: -1.25 is 29 December 1899, 06:00.
  int64_t msecs = RoundMSecs(value * MSecsPerDay);
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(DateDelta + msecs / MSecsPerDay);
  stamp.Time = static_cast<int32_t>((msecs < 0 ? -msecs : msecs) % MSecsPerDay);
  return stamp;
}

TDateTime TimeStampToDateTime(const TTimeStamp& stamp) {
  return Compose(static_cast<int64_t>(stamp.Date) - DateDelta, stamp.Time / static_cast<double>(MSecsPerDay));
}

double TimeStampToMSecs(const TTimeStamp& stamp) {
  return static_cast<double>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
  int64_t total = RoundMSecs(msecs);
  int64_t date = total / MSecsPerDay;
  int64_t time = total % MSecsPerDay;
  if (time < 0) {
    time += MSecsPerDay;
    --date;
  }
  TTimeStamp stamp;
  stamp.Date = static_cast<int32_t>(date);
  stamp.Time = static_cast<int32_t>(time);
  return stamp;
}

TDateTime Now() {
  auto now = std::chrono::system_clock::now();
  auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  std::time_t seconds = static_cast<std::time_t>(sinceEpoch / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  TDateTime date = 0, time = 0;
  TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
  // tm_sec can be 60 during a leap second.
  TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(sinceEpoch % 1000),
                time);
  return Compose(static_cast<int32_t>(date), time);
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time() {
  TDateTime now = Now();
  return now - std::floor(now);
}

}  // namespace notarra
