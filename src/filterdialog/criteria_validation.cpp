#include "filterdialog/criteria_validation.h"

#include "filterdialog/criteria_match.h"
#include "filterdialog/field_info.h"
#include "platform/codepage.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace notarra {

namespace {

bool IsIntegerText(std::string_view text) {
  std::size_t i = 0;
  if (text.size() > 1 && text[0] == '-') i = 1;
  if (i >= text.size()) return false;
  for (; i < text.size(); ++i)
    if (!IsAsciiDigit(text[i])) return false;
  return true;
}

// The position of the next or-word in upper-cased text at or after from:
// a one-character word as it is, a longer one between blanks.
std::size_t FindOrWord(const std::string& upperText, const std::string& upperWord, std::size_t from,
                       std::size_t& length) {
  if (upperWord.size() == 1) {
    length = 1;
    return upperText.find(upperWord, from);
  }
  const std::string spaced = " " + upperWord + " ";
  length = spaced.size();
  return upperText.find(spaced, from);
}

}  // namespace

bool IsTypedField(TFieldType type, bool queryModify) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftDateTime:
    case ftAutoInc:
    case ftLargeint:
    case ftTimeStamp:
    case ftFMTBcd:
      return true;
    case ftTime:
      return queryModify;
    default:
      return false;
  }
}

bool IsPickerDateField(TFieldType type) { return type == ftDate || type == ftDateTime || type == ftTimeStamp; }

bool PassesTypeTest(std::string_view text, TFieldType type) {
  TDateTime when = 0;
  if (IsIntegerType(type)) return IsIntegerText(text);
  if (IsFloatingType(type)) {
    double number = 0;
    return text.empty() || TryStrToFloat(text, number);
  }
  if (type == ftDate) return TryStrToDate(text, when);
  if (type == ftTime) {
    if (TryStrToTime(text, when)) return true;
    // The English markers are taken whatever the locale's are.
    TFormatSettings english = FormatSettings();
    english.TimeAMString = "AM";
    english.TimePMString = "PM";
    return TryStrToTime(text, when, english);
  }
  if (IsDateTimeType(type)) return TryStrToDateTime(text, when) && !TryStrToTime(text, when);
  return true;
}

bool IsValidValueText(std::string_view text, TFieldType type, const TsfFieldOperators& operators) {
  if (text.empty()) return true;
  const std::string upper = AnsiUpperCase(text);
  const std::string word = AnsiUpperCase(operators.OrChar());
  std::size_t start = 0;
  for (;;) {
    std::size_t length = 0;
    const std::size_t at = word.empty() ? std::string::npos : FindOrWord(upper, word, start, length);
    const std::string_view piece = Trim(text.substr(start, at == std::string::npos ? std::string_view::npos : at - start));
    if (!AnsiSameText(piece, operators.NullChar()) && !PassesTypeTest(piece, type)) return false;
    if (at == std::string::npos) return true;
    start = at + length;
  }
}

bool IsValidRangeText(std::string_view text, TFieldType type) { return text.empty() || PassesTypeTest(text, type); }

std::string RefusalReason(std::string_view text, TFieldType type) {
  const std::string quoted = "\"" + std::string(text) + "\" is not ";
  const TDateTime example = EncodeDate(2019, 5, 17) + EncodeTime(14, 30, 0, 0);
  if (IsIntegerType(type)) return quoted + "a whole number";
  if (IsFloatingType(type)) return quoted + "a number";
  if (type == ftDate) return quoted + "a date; type one like " + DateToStr(example);
  if (type == ftTime) return quoted + "a time; type one like " + TimeToStr(example);
  if (IsDateTimeType(type)) return quoted + "a date and time; type one like " + DateTimeToStr(example);
  return quoted + "a value of this field";
}

}  // namespace notarra
