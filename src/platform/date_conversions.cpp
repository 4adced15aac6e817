// Date and time text: reading with the short date and long time formats,
// and formatting with the format tokens of format_settings.h.
#include <string>

#include "platform/codepage.h"
#include "platform/conversion_text.h"
#include "platform/conversions.h"

namespace notarra {

using namespace conversion_text;

namespace {

enum class DateOrder { MDY, DMY, YMD };

DateOrder GetDateOrder(std::string_view format) {
  char quote = 0;
  for (char c : format) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    switch (AsciiUpper(c)) {
      case 'D': return DateOrder::DMY;
      case 'M': return DateOrder::MDY;
      case 'Y': return DateOrder::YMD;
      default: break;
    }
  }
  return DateOrder::MDY;
}

void CurrentDate(int& year, int& month, int& day) { DecodeDate(Date(), year, month, day); }

int ExpandTwoDigitYear(int year, const TFormatSettings& fs) {
  if (fs.TwoDigitYearCenturyWindow <= 0) return 1900 + year;
  int currentYear, m, d;
  CurrentDate(currentYear, m, d);
  int pivot = currentYear - fs.TwoDigitYearCenturyWindow;
  year += pivot / 100 * 100;
  if (year < pivot) year += 100;
  return year;
}

TDateTime Combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

class Scanner {
public:
  explicit Scanner(std::string_view s) : s_(s) {}

  bool AtEnd() const { return pos_ >= s_.size(); }
  std::size_t Pos() const { return pos_; }
  void SetPos(std::size_t pos) { pos_ = pos; }
  bool SkipBlanks() {
    std::size_t start = pos_;
    while (pos_ < s_.size() && IsBlankOrTab(s_[pos_])) ++pos_;
    return pos_ != start;
  }

  // Up to four digits after optional blanks.
  bool Number(int& value, int& digits) {
    std::size_t save = pos_;
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && IsAsciiDigit(s_[pos_]) && digits < 4) {
      value = value * 10 + (s_[pos_++] - '0');
      ++digits;
    }
    if (digits == 0 || (pos_ < s_.size() && IsAsciiDigit(s_[pos_]))) {
      pos_ = save;
      return false;
    }
    return true;
  }

  bool Char(char c) {
    std::size_t save = pos_;
    if (!IsBlankOrTab(c)) SkipBlanks();  // a blank may itself be the separator
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    pos_ = save;
    return false;
  }

  // Case-insensitive match of a word after optional blanks.
  bool Word(std::string_view word) {
    if (word.empty()) return false;
    std::size_t save = pos_;
    SkipBlanks();
    if (s_.size() - pos_ >= word.size() && AnsiSameText(s_.substr(pos_, word.size()), word)) {
      pos_ += word.size();
      return true;
    }
    pos_ = save;
    return false;
  }

  // A month name, long or short, when one follows.
  bool MonthName(const TFormatSettings& fs, int& month) {
    std::size_t save = pos_;
    SkipBlanks();
    std::size_t start = pos_;
    while (pos_ < s_.size() && !IsBlankOrTab(s_[pos_]) && !IsAsciiDigit(s_[pos_]) && s_[pos_] != fs.DateSeparator) ++pos_;
    std::string_view word = s_.substr(start, pos_ - start);
    if (!word.empty()) {
      for (int m = 0; m < 12; ++m) {
        if (AnsiSameText(word, fs.LongMonthNames[static_cast<std::size_t>(m)]) ||
            AnsiSameText(word, fs.ShortMonthNames[static_cast<std::size_t>(m)])) {
          month = m + 1;
          return true;
        }
      }
    }
    pos_ = save;
    return false;
  }

private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

struct DatePart {
  int value = 0;
  int digits = 0;
  bool isMonthName = false;
};

// Reads a date at the scanner; minParts is 2 where a lone number would be
// ambiguous with a time.
bool ScanDate(Scanner& sc, TDateTime& out, const TFormatSettings& fs, int minParts) {
  DatePart parts[3];
  int count = 0;
  auto scanPart = [&](DatePart& part) {
    if (sc.Number(part.value, part.digits)) return true;
    part.isMonthName = sc.MonthName(fs, part.value);
    return part.isMonthName;
  };
  std::size_t start = sc.Pos();
  if (!scanPart(parts[0])) return false;
  count = 1;
  // A format that sets its parts apart with blanks ("d mmm yyyy") is read
  // back with blanks between them as well as with the separator.
  const bool blanksSeparate = fs.ShortDateFormat.find(' ') != std::string::npos;
  while (count < 3) {
    std::size_t save = sc.Pos();
    if (!sc.Char(fs.DateSeparator) && !(blanksSeparate && sc.SkipBlanks())) break;
    if (!scanPart(parts[count])) {
      sc.SetPos(save);
      break;
    }
    ++count;
  }
  auto fail = [&] {
    sc.SetPos(start);
    return false;
  };
  if (count < minParts) return fail();

  int names = 0, namePos = -1;
  for (int i = 0; i < count; ++i)
    if (parts[i].isMonthName) {
      ++names;
      namePos = i;
    }
  if (names > 1) return fail();

  int curYear, curMonth, curDay;
  CurrentDate(curYear, curMonth, curDay);
  DateOrder order = GetDateOrder(fs.ShortDateFormat);
  int year = curYear, month = 0, day = 0;
  const DatePart* yearPart = nullptr;
  if (count == 1) {
    if (names != 0) return fail();
    day = parts[0].value;
    month = curMonth;
  } else if (count == 2) {
    if (names == 1) {
      month = parts[namePos].value;
      day = parts[1 - namePos].value;
    } else if (order == DateOrder::DMY) {
      day = parts[0].value;
      month = parts[1].value;
    } else {
      month = parts[0].value;
      day = parts[1].value;
    }
  } else if (names == 1) {
    // The name fixes the month; the other two keep the format's order of day and year.
    const DatePart* rest[2];
    int k = 0;
    for (int i = 0; i < 3; ++i)
      if (i != namePos) rest[k++] = &parts[i];
    month = parts[namePos].value;
    bool yearFirst = order == DateOrder::YMD;
    yearPart = yearFirst ? rest[0] : rest[1];
    day = (yearFirst ? rest[1] : rest[0])->value;
  } else {
    switch (order) {
      case DateOrder::MDY:
        month = parts[0].value;
        day = parts[1].value;
        yearPart = &parts[2];
        break;
      case DateOrder::DMY:
        day = parts[0].value;
        month = parts[1].value;
        yearPart = &parts[2];
        break;
      case DateOrder::YMD:
        yearPart = &parts[0];
        month = parts[1].value;
        day = parts[2].value;
        break;
    }
  }
  if (yearPart != nullptr) {
    year = yearPart->value;
    if (yearPart->digits <= 2) year = ExpandTwoDigitYear(year, fs);
  }
  if (!TryEncodeDate(year, month, day, out)) return fail();
  return true;
}

bool ScanAmPm(Scanner& sc, const TFormatSettings& fs, int& baseHour) {
  if (sc.Word(fs.TimeAMString) || sc.Word("AM")) {
    baseHour = 0;
    return true;
  }
  if (sc.Word(fs.TimePMString) || sc.Word("PM")) {
    baseHour = 12;
    return true;
  }
  return false;
}

// h[:n[:s[.z]]] with an AM/PM text before or after. The digits after the
// decimal separator are a fraction of the second.
bool ScanTime(Scanner& sc, TDateTime& out, const TFormatSettings& fs) {
  std::size_t start = sc.Pos();
  auto fail = [&] {
    sc.SetPos(start);
    return false;
  };
  int baseHour = -1;
  ScanAmPm(sc, fs, baseHour);
  int hour, minute = 0, second = 0, msec = 0, digits;
  if (!sc.Number(hour, digits)) return fail();
  if (sc.Char(fs.TimeSeparator)) {
    if (!sc.Number(minute, digits)) return fail();
    if (sc.Char(fs.TimeSeparator)) {
      if (!sc.Number(second, digits)) return fail();
      std::size_t save = sc.Pos();
      if (sc.Char(fs.DecimalSeparator) || sc.Char('.')) {
        // No blanks inside the fraction.
        if (sc.AtEnd() || sc.SkipBlanks() || !sc.Number(msec, digits) || digits > 3) return fail();
        for (int d = digits; d < 3; ++d) msec *= 10;
      } else {
        sc.SetPos(save);
      }
    }
  }
  if (baseHour < 0) ScanAmPm(sc, fs, baseHour);
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return fail();
    if (hour == 12) hour = 0;
    hour += baseHour;
  }
  if (!TryEncodeTime(hour, minute, second, msec, out)) return fail();
  return true;
}

// --------------------------------------------------------- date formatting

void AppendNumber(std::string& out, int value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) < width) out.append(static_cast<std::size_t>(width) - s.size(), '0');
  out += s;
}

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view word) {
  return s.size() - pos >= word.size() && AnsiSameText(s.substr(pos, word.size()), word);
}

// Whether an am/pm token follows, which makes "h" a 12-hour clock.
bool AmPmFollows(std::string_view format, std::size_t pos) {
  char quote = 0;
  for (std::size_t i = pos; i < format.size(); ++i) {
    char c = format[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == 'a' || c == 'A') &&
               (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
                StartsWithNoCase(format, i, "ampm"))) {
      return true;
    }
  }
  return false;
}

struct DateParts {
  int year, month, day, hour, minute, second, msec, dayOfWeek;
  bool hasTime;
};

void AppendFormatted(std::string& out, std::string_view format, const DateParts& p, const TFormatSettings& fs, int level) {
  if (level > 2) return;  // formats that name each other must not loop
  char lastToken = ' ';
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    char token = AsciiUpper(c);
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && lastToken == 'H') token = 'N';
      lastToken = token;
    }
    std::size_t count = 1;
    while (i + count < format.size() && AsciiUpper(format[i + count]) == AsciiUpper(c)) ++count;
    switch (token) {
      case 'Y':
        if (count <= 2)
          AppendNumber(out, p.year % 100, 2);
        else
          AppendNumber(out, p.year, 4);
        i += count;
        break;
      case 'M':
        if (count == 1)
          AppendNumber(out, p.month, 1);
        else if (count == 2)
          AppendNumber(out, p.month, 2);
        else if (p.month >= 1)
          out += (count == 3 ? fs.ShortMonthNames : fs.LongMonthNames)[static_cast<std::size_t>(p.month - 1)];
        i += count;
        break;
      case 'N':
        AppendNumber(out, p.minute, count >= 2 ? 2 : 1);
        i += count;
        break;
      case 'D':
        switch (count) {
          case 1: AppendNumber(out, p.day, 1); break;
          case 2: AppendNumber(out, p.day, 2); break;
          case 3: out += fs.ShortDayNames[static_cast<std::size_t>(p.dayOfWeek - 1)]; break;
          case 4: out += fs.LongDayNames[static_cast<std::size_t>(p.dayOfWeek - 1)]; break;
          case 5: AppendFormatted(out, fs.ShortDateFormat, p, fs, level + 1); break;
          default: AppendFormatted(out, fs.LongDateFormat, p, fs, level + 1); break;
        }
        i += count;
        break;
      case 'H': {
        int hour = p.hour;
        if (AmPmFollows(format, i + count)) {
          if (hour == 0)
            hour = 12;
          else if (hour > 12)
            hour -= 12;
        }
        AppendNumber(out, hour, count >= 2 ? 2 : 1);
        i += count;
        break;
      }
      case 'S':
        AppendNumber(out, p.second, count >= 2 ? 2 : 1);
        i += count;
        break;
      case 'Z':
        AppendNumber(out, p.msec, count >= 2 ? 3 : 1);
        i += count;
        break;
      case 'T':
        AppendFormatted(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, fs, level + 1);
        i += count;
        break;
      case 'C':
        AppendFormatted(out, fs.ShortDateFormat, p, fs, level + 1);
        if (p.hasTime) {
          out += ' ';
          AppendFormatted(out, fs.LongTimeFormat, p, fs, level + 1);
        }
        i += 1;
        break;
      case 'A':
        if (StartsWithNoCase(format, i, "ampm")) {
          out += p.hour < 12 ? fs.TimeAMString : fs.TimePMString;
          i += 4;
        } else if (StartsWithNoCase(format, i, "am/pm")) {
          // The letters as the format writes them: "am/pm" gives "pm", "AM/PM" gives "PM".
          out += format.substr(p.hour < 12 ? i : i + 3, 2);
          i += 5;
        } else if (StartsWithNoCase(format, i, "a/p")) {
          out += format[p.hour < 12 ? i : i + 2];
          i += 3;
        } else {
          out += c;
          i += 1;
        }
        break;
      case '/':
        out += fs.DateSeparator;
        i += 1;
        break;
      case ':':
        out += fs.TimeSeparator;
        i += 1;
        break;
      case '"':
      case '\'': {
        std::size_t end = format.find(c, i + 1);
        if (end == std::string_view::npos) end = format.size();
        out.append(format.substr(i + 1, end - i - 1));
        i = end + 1;
        break;
      }
      default:
        out += c;
        i += 1;
        break;
    }
  }
}

DateParts Decompose(TDateTime value) {
  TTimeStamp stamp = DateTimeToTimeStamp(value);
  DateParts p{};
  DecodeDayNumber(stamp.Date, p.year, p.month, p.day);
  int t = stamp.Time;
  p.hasTime = t != 0;
  p.msec = t % 1000;
  t /= 1000;
  p.second = t % 60;
  t /= 60;
  p.minute = t % 60;
  p.hour = t / 60;
  int dow = stamp.Date % 7;
  if (dow < 0) dow += 7;
  p.dayOfWeek = dow + 1;
  return p;
}

}  // namespace

bool TryStrToDate(std::string_view text, TDateTime& out, const TFormatSettings& fs) {
  Scanner sc(text);
  TDateTime value;
  if (!ScanDate(sc, value, fs, 1)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  out = value;
  return true;
}

bool TryStrToTime(std::string_view text, TDateTime& out, const TFormatSettings& fs) {
  Scanner sc(text);
  TDateTime value;
  if (!ScanTime(sc, value, fs)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  out = value;
  return true;
}

bool TryStrToDateTime(std::string_view text, TDateTime& out, const TFormatSettings& fs) {
  // A date of at least day and month, then a blank and a time; a lone number
  // is a time ("10" is ten o'clock), and only failing that a day.
  Scanner sc(text);
  TDateTime date;
  if (ScanDate(sc, date, fs, 2)) {
    bool blank = sc.SkipBlanks();
    if (sc.AtEnd()) {
      out = date;
      return true;
    }
    TDateTime time;
    if (blank && ScanTime(sc, time, fs)) {
      sc.SkipBlanks();
      if (sc.AtEnd()) {
        out = Combine(date, time);
        return true;
      }
    }
  }
  return TryStrToTime(text, out, fs) || TryStrToDate(text, out, fs);
}

TDateTime StrToDate(std::string_view text, const TFormatSettings& fs) {
  TDateTime value;
  if (!TryStrToDate(text, value, fs)) ConvertError("'%s' is not a valid date", text);
  return value;
}

TDateTime StrToTime(std::string_view text, const TFormatSettings& fs) {
  TDateTime value;
  if (!TryStrToTime(text, value, fs)) ConvertError("'%s' is not a valid time", text);
  return value;
}

TDateTime StrToDateTime(std::string_view text, const TFormatSettings& fs) {
  TDateTime value;
  if (!TryStrToDateTime(text, value, fs)) ConvertError("'%s' is not a valid date and time", text);
  return value;
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs) {
  std::string out;
  AppendFormatted(out, format.empty() ? std::string_view("c") : format, Decompose(value), fs, 0);
  return out;
}

std::string DateToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("ddddd", value, fs); }
std::string TimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("tt", value, fs); }
std::string DateTimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime("c", value, fs); }

}  // namespace notarra
