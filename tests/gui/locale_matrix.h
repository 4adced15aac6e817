// The locales every date path is tried in: the ones a Debian desktop is most
// often set to, the bare C locale of a fresh machine, and an ISO-style short
// format. Each case fills the process-wide format settings as the program
// does at start (from QLocale), and puts the previous ones back when it ends.
#pragma once

#include <QLocale>
#include <string>
#include <vector>

#include "gui/qt_text.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"

namespace localematrix {

inline std::vector<std::string> Names() { return {"C", "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "ISO"}; }

inline notarra::TFormatSettings SettingsFor(const std::string& name) {
  notarra::TFormatSettings fs;
  if (name == "ISO") {
    fs.ShortDateFormat = "yyyy/mm/dd";
    fs.DateSeparator = '-';
    return fs;
  }
  notarra::FormatSettingsFromLocale(name == "C" ? QLocale::c() : QLocale(QString::fromStdString(name)), fs);
  return fs;
}

// The dates each case tries: both sides of a century, a leap day, one day
// of the year with a two-digit day and month.
inline std::vector<notarra::TDateTime> Dates() {
  using notarra::EncodeDate;
  return {EncodeDate(2019, 5, 17), EncodeDate(1999, 12, 31), EncodeDate(2000, 1, 1), EncodeDate(2024, 2, 29)};
}

class Scope {
public:
  explicit Scope(const std::string& name) : saved_(notarra::FormatSettings()) {
    notarra::FormatSettings() = SettingsFor(name);
  }
  ~Scope() { notarra::FormatSettings() = saved_; }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

private:
  notarra::TFormatSettings saved_;
};

}  // namespace localematrix
