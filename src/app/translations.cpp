#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "filterdialog/filter_texts.h"
#include "gui/qt_text.h"

namespace notarra {

bool InstallTranslations(QCoreApplication& app, const QLocale& locale) {
  auto* qt = new QTranslator(&app);
  if (qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) app.installTranslator(qt);
  else delete qt;
  const QString places[] = {QCoreApplication::applicationDirPath() + "/../share/notarra/translations",
                            QStringLiteral(NOTARRA_BUILD_TRANSLATIONS)};
  auto* own = new QTranslator(&app);
  for (const QString& place : places) {
    if (own->load(locale, "notarra", "_", place)) {
      app.installTranslator(own);
      // The filter dialog takes its texts from a table the program fills.
      FilterDialogTexts().ForEachText([](std::string& text) {
        if (!text.empty()) text = FromQString(QCoreApplication::translate("TsfFilterDialogTexts", text.c_str()));
      });
      return true;
    }
  }
  delete own;
  return false;
}

}  // namespace notarra
