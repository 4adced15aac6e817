// One field's value between a record's data area and the outside world
// (JSON and CSV), in the form the dataset reports it:
//   - null where reading the field gives no value: an empty text, a Date or
//     DateTime of zero, an Int64 of zero, an empty BLOB; SmallInt, Integer,
//     AutoInc, Boolean, Double, Currency and Time always have a value;
//   - Date "YYYY-MM-DD", Time "HH:MM:SS.mmm", DateTime
//     "YYYY-MM-DDTHH:MM:SS.mmm"; a stored date or time that no calendar text
//     can show (before year 1, after 9999, a time outside the day, a
//     fractional DateTime) appears as its raw number so that it survives a
//     round trip;
//   - texts and memos in UTF-8 (the table holds Windows-1252), BLOB and
//     Graphic in base64; a Double that is not finite as "NaN", "Infinity" or
//     "-Infinity".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tableengine/field.h"

namespace notarra {

// How a value is written: not at all, bare (numbers, true/false) or as a string.
enum class TValueForm { Null, Bare, Quoted };

// The field's value as UTF-8 text; out is replaced.
TValueForm FormatFieldValue(const uint8_t* data, const TVelaField& field, std::string& out);

// A value coming in. From JSON the type is known; a CSV cell is untyped
// text whose meaning follows the field's kind (an empty cell is Null).
struct TInputValue {
  enum Type { Null, Boolean, Number, String, Cell } type = Null;
  bool boolean = false;
  std::string_view text;  // the number literal, the string or the cell (UTF-8)
};

// Stores the value into the field of a zeroed data area. On bad input
// returns false and a message that says what is wrong with the value (the
// caller names the record and field).
bool StoreFieldValue(const TInputValue& value, const TVelaField& field, uint8_t* data, std::string& error);

// Calendar texts used above, shared with the tests' expectations.
std::string DayNumberText(int32_t dayNumber);           // "YYYY-MM-DD"
std::string TimeText(int32_t msecs);                    // "HH:MM:SS.mmm"
bool ParseDateText(std::string_view text, int32_t& dayNumber);
bool ParseTimeText(std::string_view text, int32_t& msecs);
// "YYYY-MM-DDTHH:MM:SS.mmm" (also with a blank for "T", or a date alone).
bool ParseDateTimeText(std::string_view text, double& stored);

}  // namespace notarra
