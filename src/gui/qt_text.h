// The one bridge between the engine's Windows-1252 text and Qt's QString,
// and the start-up step that fills the process-wide format settings from a
// Qt locale.
#pragma once

#include <QLocale>
#include <QString>
#include <string>
#include <string_view>

#include "platform/format_settings.h"

namespace notarra {

QString ToQString(std::string_view ansi);
// Characters Windows-1252 cannot hold become '?'; lossy (when given) tells
// whether that happened.
std::string FromQString(const QString& text, bool* lossy = nullptr);

// Qt date/time pattern -> our format tokens. The date separator character
// (when not 0) becomes "/", the time separator (when not 0) ":". Qt's
// minutes (m, mm) become n, nn; months (M...) m...; AP/ap become ampm;
// hours in either form become h/hh; the time zone (t) is dropped with the
// blank before it; letters that are no token of ours are quoted.
std::string QtPatternToFormat(const QString& pattern, QChar dateSeparator, QChar timeSeparator);

// Fills settings from locale: formats, separators, AM/PM texts, month and
// day names, first day of the week.
void FormatSettingsFromLocale(const QLocale& locale, TFormatSettings& settings);
// What the program calls at start: FormatSettings() from QLocale::system().
void InitFormatSettingsFromSystem();

}  // namespace notarra
