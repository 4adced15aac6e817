// The process-wide locale formats that number, date and time conversions use.
// Defaults are US English; the program fills them from the system locale at
// start, tests set them explicitly.
//
// Date/time format tokens (the same as the engine's file-independent text
// forms): d dd ddd dddd, m mm mmm mmmm (month; minute right after h or hh),
// yy yyyy, h hh, n nn (minute), s ss, z zzz, am/pm, a/p, ampm, "/" (date
// separator), ":" (time separator), quoted literals '...' and "...".
#pragma once

#include <array>
#include <string>

namespace notarra {

struct TFormatSettings {
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  std::string ShortDateFormat = "M/d/yyyy";
  std::string LongDateFormat = "dddd, MMMM d, yyyy";
  std::string ShortTimeFormat = "h:mm AMPM";
  std::string LongTimeFormat = "h:mm:ss AMPM";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
  // Sunday first.
  std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  int FirstDayOfWeek = 0;  // 0 = Sunday ... 6 = Saturday
  // Two-digit years are taken within this many years of the current one (0 = no window: 1900s).
  int TwoDigitYearCenturyWindow = 50;

  static TFormatSettings UsEnglish() { return TFormatSettings{}; }
};

// The one process-wide settings object.
TFormatSettings& FormatSettings();

}  // namespace notarra
