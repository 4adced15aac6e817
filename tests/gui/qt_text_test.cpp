#include <gtest/gtest.h>

#include "gui/qt_text.h"

using namespace notarra;

TEST(QtTextTest, EveryWindows1252ByteRoundTrips) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const QString q = ToQString(all);
  EXPECT_EQ(q.size(), 255);
  bool lossy = true;
  EXPECT_EQ(FromQString(q, &lossy), all);
  EXPECT_FALSE(lossy);
}

TEST(QtTextTest, CharactersMapToTheirUnicodeForms) {
  EXPECT_EQ(ToQString("\x80"), QString(QChar(0x20AC)));   // euro sign
  EXPECT_EQ(ToQString("\xE9t\xE9"), QString::fromUtf8("\u00e9t\u00e9"));
  EXPECT_EQ(ToQString("\x9C"), QString(QChar(0x0153)));   // oe ligature
  EXPECT_EQ(FromQString(QString(QChar(0x2019))), "\x92"); // right single quote
}

TEST(QtTextTest, UnrepresentableCharactersBecomeQuestionMarks) {
  bool lossy = false;
  EXPECT_EQ(FromQString(QString::fromUtf8("a\u65e5\u20acb"), &lossy), "a?\x80" "b");
  EXPECT_TRUE(lossy);
  // A character outside the basic plane counts once.
  EXPECT_EQ(FromQString(QString::fromUtf8("x\U0001F600y"), &lossy), "x?y");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(FromQString(QString(), &lossy), "");
  EXPECT_FALSE(lossy);
}

TEST(QtPatternTest, ConvertsQtTokensToOurs) {
  EXPECT_EQ(QtPatternToFormat("dd.MM.yyyy", '.', QChar()), "dd/mm/yyyy");
  EXPECT_EQ(QtPatternToFormat("M/d/yy", '/', QChar()), "m/d/yy");
  EXPECT_EQ(QtPatternToFormat("h:mm:ss AP t", QChar(), ':'), "h:nn:ss ampm");
  EXPECT_EQ(QtPatternToFormat("HH:mm", QChar(), ':'), "hh:nn");
  EXPECT_EQ(QtPatternToFormat("h.mm ap", QChar(), '.'), "h:nn ampm");
  EXPECT_EQ(QtPatternToFormat("dddd, MMMM d, yyyy", QChar(), QChar()), "dddd, mmmm d, yyyy");
  EXPECT_EQ(QtPatternToFormat("ddd MMM", QChar(), QChar()), "ddd mmm");
  // Quoted text stays literal; so do letters that are no token of ours.
  EXPECT_EQ(QtPatternToFormat("HH 'Uhr' mm", QChar(), ':'), "hh \"Uhr\" nn");
  EXPECT_EQ(QtPatternToFormat("H:mm:ss.zzz", QChar(), ':'), "h:nn:ss.zzz");
}

TEST(LocaleFormatTest, GermanSettings) {
  TFormatSettings s;
  FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany), s);
  EXPECT_EQ(s.DateSeparator, '.');
  EXPECT_EQ(s.TimeSeparator, ':');
  EXPECT_EQ(s.DecimalSeparator, ',');
  EXPECT_EQ(s.ThousandSeparator, '.');
  // Day first, then month, then year, separated by our "/" token.
  EXPECT_EQ(s.ShortDateFormat.find('d'), 0u);
  EXPECT_LT(s.ShortDateFormat.find('m'), s.ShortDateFormat.find('y'));
  EXPECT_NE(s.ShortDateFormat.find('/'), std::string::npos);
  EXPECT_EQ(s.ShortDateFormat.find('.'), std::string::npos);
  EXPECT_EQ(s.ShortTimeFormat, "hh:nn");
  EXPECT_EQ(s.LongMonthNames[0], "Januar");
  EXPECT_EQ(s.LongMonthNames[2], "M\xE4rz");
  EXPECT_EQ(s.LongDayNames[0], "Sonntag");
  EXPECT_EQ(s.LongDayNames[1], "Montag");
  EXPECT_EQ(s.FirstDayOfWeek, 1);
}

TEST(LocaleFormatTest, UsEnglishSettings) {
  TFormatSettings s;
  s.DecimalSeparator = '?';
  FormatSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates), s);
  EXPECT_EQ(s.DateSeparator, '/');
  EXPECT_EQ(s.DecimalSeparator, '.');
  EXPECT_EQ(s.ThousandSeparator, ',');
  EXPECT_EQ(s.ShortDateFormat.substr(0, 4), "m/d/");
  EXPECT_EQ(s.ShortTimeFormat, "h:nn ampm");
  EXPECT_EQ(s.TimeAMString, "AM");
  EXPECT_EQ(s.TimePMString, "PM");
  EXPECT_EQ(s.ShortMonthNames[11], "Dec");
  EXPECT_EQ(s.LongDayNames[6], "Saturday");
  EXPECT_EQ(s.FirstDayOfWeek, 0);
}
