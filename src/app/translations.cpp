#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

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
      return true;
    }
  }
  delete own;
  return false;
}

}  // namespace notarra
