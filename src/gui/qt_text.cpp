#include "gui/qt_text.h"

#include "platform/codepage.h"

namespace notarra {

QString ToQString(std::string_view ansi) {
  const std::string utf8 = AnsiToUtf8(ansi);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text, bool* lossy) {
  if (lossy) *lossy = false;
  const QByteArray utf8 = text.toUtf8();
  std::string out;
  if (Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), out)) return out;
  // Slow path: convert character by character, replacing what cannot be held.
  out.clear();
  const std::string_view all(utf8.constData(), static_cast<size_t>(utf8.size()));
  size_t pos = 0;
  while (pos < all.size()) {
    uint32_t cp = 0;
    size_t len = DecodeUtf8(all, pos, cp);
    if (len == 0) len = 1;
    std::string one;
    if (Utf8ToAnsi(all.substr(pos, len), one)) {
      out += one;
    } else {
      out += '?';
      if (lossy) *lossy = true;
    }
    pos += len;
  }
  return out;
}

namespace {

int RunLength(const QString& s, qsizetype i) {
  int n = 1;
  while (i + n < s.size() && s[i + n] == s[i]) ++n;
  return n;
}

void AppendQuoted(std::string& out, const QString& literal) {
  if (literal.isEmpty()) return;
  out += '"';
  out += FromQString(literal);
  out += '"';
}

char FirstSeparator(const QString& pattern) {
  bool quoted = false;
  for (QChar c : pattern) {
    if (c == u'\'') quoted = !quoted;
    if (quoted || c.isLetterOrNumber() || c.isSpace() || c == u'\'' || c == u',') continue;
    std::string s = FromQString(QString(c));
    return s.empty() ? 0 : s[0];
  }
  return 0;
}

char SingleAnsiChar(const QString& s, char fallback) {
  if (s.isEmpty()) return fallback;
  bool lossy = false;
  std::string a = FromQString(s.left(1), &lossy);
  if (lossy || a.empty()) return fallback;
  return a[0];
}

}  // namespace

std::string QtPatternToFormat(const QString& pattern, QChar dateSeparator, QChar timeSeparator) {
  std::string out;
  qsizetype i = 0;
  while (i < pattern.size()) {
    const QChar c = pattern[i];
    const int n = RunLength(pattern, i);
    if (c == u'\'') {
      // Quoted literal; '' inside stands for one quote.
      QString literal;
      qsizetype j = i + 1;
      while (j < pattern.size()) {
        if (pattern[j] == u'\'') {
          if (j + 1 < pattern.size() && pattern[j + 1] == u'\'') {
            literal += u'\'';
            j += 2;
            continue;
          }
          break;
        }
        literal += pattern[j++];
      }
      if (i + 1 < pattern.size() && pattern[i + 1] == u'\'' && literal.isEmpty()) literal = QStringLiteral("'");
      AppendQuoted(out, literal);
      i = j + 1;
      continue;
    }
    switch (c.unicode()) {
      case u'd':
        out += std::string(std::min(n, 4), 'd');
        break;
      case u'M':
        out += std::string(std::min(n, 4), 'm');
        break;
      case u'y':
        out += n >= 3 ? "yyyy" : "yy";
        break;
      case u'h':
      case u'H':
        out += n >= 2 ? "hh" : "h";
        break;
      case u'm':
        out += n >= 2 ? "nn" : "n";
        break;
      case u's':
        out += n >= 2 ? "ss" : "s";
        break;
      case u'z':
        out += n >= 2 ? "zzz" : "z";
        break;
      case u'A':
      case u'a':
        // "AP" / "ap" (and a lone A or a).
        out += "ampm";
        if (i + n < pattern.size() && (pattern[i + n] == u'P' || pattern[i + n] == u'p')) {
          i += n + 1;
          continue;
        }
        break;
      case u't':
        // The time zone has no token; drop it and the blank that led to it.
        while (!out.empty() && out.back() == ' ') out.pop_back();
        break;
      default:
        for (int k = 0; k < n; ++k) {
          if (!dateSeparator.isNull() && c == dateSeparator)
            out += '/';
          else if (!timeSeparator.isNull() && c == timeSeparator)
            out += ':';
          else if (c.isLetter() || c == u'/' || c == u':' || c == u'"')
            AppendQuoted(out, QString(c));
          else
            out += FromQString(QString(c));
        }
        break;
    }
    i += n;
  }
  return out;
}

void FormatSettingsFromLocale(const QLocale& locale, TFormatSettings& settings) {
  const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
  const QString longDate = locale.dateFormat(QLocale::LongFormat);
  const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
  const QString longTime = locale.timeFormat(QLocale::LongFormat);

  const char dateSep = FirstSeparator(shortDate);
  const char timeSep = FirstSeparator(shortTime);
  settings.DateSeparator = dateSep ? dateSep : '/';
  settings.TimeSeparator = timeSep ? timeSep : ':';
  const QChar qDateSep = dateSep ? ToQString(std::string(1, dateSep))[0] : QChar();
  const QChar qTimeSep = timeSep ? ToQString(std::string(1, timeSep))[0] : QChar();

  settings.ShortDateFormat = QtPatternToFormat(shortDate, qDateSep, QChar());
  settings.LongDateFormat = QtPatternToFormat(longDate, QChar(), QChar());
  settings.ShortTimeFormat = QtPatternToFormat(shortTime, QChar(), qTimeSep);
  settings.LongTimeFormat = QtPatternToFormat(longTime, QChar(), qTimeSep);

  settings.DecimalSeparator = SingleAnsiChar(locale.decimalPoint(), '.');
  // A separator Windows-1252 lacks (the narrow no-break space) becomes a blank.
  settings.ThousandSeparator = SingleAnsiChar(locale.groupSeparator(), ' ');
  settings.TimeAMString = FromQString(locale.amText());
  settings.TimePMString = FromQString(locale.pmText());
  for (int m = 1; m <= 12; ++m) {
    settings.ShortMonthNames[m - 1] = FromQString(locale.monthName(m, QLocale::ShortFormat));
    settings.LongMonthNames[m - 1] = FromQString(locale.monthName(m, QLocale::LongFormat));
  }
  // Ours start on Sunday (0); Qt counts Monday = 1 ... Sunday = 7.
  for (int d = 0; d < 7; ++d) {
    const int qtDay = d == 0 ? 7 : d;
    settings.ShortDayNames[d] = FromQString(locale.dayName(qtDay, QLocale::ShortFormat));
    settings.LongDayNames[d] = FromQString(locale.dayName(qtDay, QLocale::LongFormat));
  }
  settings.FirstDayOfWeek = static_cast<int>(locale.firstDayOfWeek()) % 7;
}

void InitFormatSettingsFromSystem() { FormatSettingsFromLocale(QLocale::system(), FormatSettings()); }

}  // namespace notarra
