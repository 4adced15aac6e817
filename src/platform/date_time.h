// Calendar arithmetic. A TDateTime counts days from 30 December 1899 (the
// fraction is the time of day). The table engine stores dates as day numbers
// with 1 January 0001 as day 1 (so 1 January 2000 is 730120) and times as
// milliseconds since midnight; a stored date-time is day number * 86400000 +
// milliseconds.
#pragma once

#include <cstdint>

namespace notarra {

using TDateTime = double;

constexpr int DateDelta = 693594;      // day number of 30 December 1899
constexpr int MSecsPerDay = 86400000;

struct TTimeStamp {
  int32_t Time = 0;  // milliseconds since midnight
  int32_t Date = 0;  // day number, 0001-01-01 = 1
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Proleptic Gregorian; years 1..9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
TDateTime EncodeDate(int year, int month, int day);                 // EConvertError when invalid
TDateTime EncodeTime(int hour, int minute, int second, int msec);   // EConvertError when invalid
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Day numbers (0001-01-01 = 1).
bool TryEncodeDayNumber(int year, int month, int day, int32_t& out);
void DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day);

TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);
double TimeStampToMSecs(const TTimeStamp& stamp);
TTimeStamp MSecsToTimeStamp(double msecs);

TDateTime Now();
TDateTime Date();
TDateTime Time();

}  // namespace notarra
