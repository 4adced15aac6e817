// Text <-> number, date and time conversions through the locale formats.
// The Try forms never raise; the others raise EConvertError with the texts
// "'%s' is not a valid integer value", "'%s' is not a valid floating point
// value", "'%s' is not a valid date", "'%s' is not a valid time" and
// "'%s' is not a valid date and time".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/format_settings.h"

namespace notarra {

// Integers: optional leading blanks, optional sign, decimal digits, or
// hexadecimal after "$" or "0x"; nothing may follow; out-of-range fails.
bool TryStrToInt(std::string_view text, int32_t& out);
bool TryStrToInt64(std::string_view text, int64_t& out);
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
std::string IntToStr(int64_t value);

// Floats with the locale's decimal separator and an optional exponent;
// leading and trailing blanks are allowed.
bool TryStrToFloat(std::string_view text, double& out, const TFormatSettings& fs = FormatSettings());
double StrToFloat(std::string_view text, const TFormatSettings& fs = FormatSettings());
// Shortest general form with up to 15 significant digits.
std::string FloatToStr(double value, const TFormatSettings& fs = FormatSettings());
// Picture formatting: "0" digit, "#" optional digit, "." decimal separator,
// "," thousands, "E+"/"E-" exponent, quoted literals, ";" sections
// (positive;negative;zero). FormatFloat("0.######", 2.5) gives "2.5".
std::string FormatFloat(std::string_view pattern, double value, const TFormatSettings& fs = FormatSettings());

// Dates and times with ShortDateFormat / LongTimeFormat. Parsing accepts the
// numeric parts in the order the short date format gives them (month names
// too), a two-digit year through the century window, and a missing year as
// the current one; times as h[:n[:s[.z]]] with an optional AM/PM text.
bool TryStrToDate(std::string_view text, TDateTime& out, const TFormatSettings& fs = FormatSettings());
bool TryStrToTime(std::string_view text, TDateTime& out, const TFormatSettings& fs = FormatSettings());
bool TryStrToDateTime(std::string_view text, TDateTime& out, const TFormatSettings& fs = FormatSettings());
TDateTime StrToDate(std::string_view text, const TFormatSettings& fs = FormatSettings());
TDateTime StrToTime(std::string_view text, const TFormatSettings& fs = FormatSettings());
TDateTime StrToDateTime(std::string_view text, const TFormatSettings& fs = FormatSettings());

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs = FormatSettings());
std::string DateToStr(TDateTime value, const TFormatSettings& fs = FormatSettings());   // ShortDateFormat
std::string TimeToStr(TDateTime value, const TFormatSettings& fs = FormatSettings());   // LongTimeFormat
// Short date, then long time; the time is left out at midnight.
std::string DateTimeToStr(TDateTime value, const TFormatSettings& fs = FormatSettings());

// Splits a ";"-separated name list; blanks around each name are dropped, empty names skipped.
std::vector<std::string> SplitFieldNames(std::string_view names);

}  // namespace notarra
