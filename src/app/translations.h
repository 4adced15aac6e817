// The program's texts in the person's language: the translation of the
// locale (the system's unless told) is looked for where the package
// installs translations and then in the build tree, and Qt's own texts
// (standard buttons, the print dialog) follow where Debian's are installed.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace notarra {

// Installs the translations found for locale on app; returns whether the
// program's own was found (English needs none).
bool InstallTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());

}  // namespace notarra
