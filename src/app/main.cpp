// notarra [DIR]: the program, on the data folder its command line names or
// the one it chooses (see start_options.h). The window reads the tables
// from the working directory, so the program starts by going there.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/help_window.h"
#include "app/main_window.h"
#include "app/quit_signals.h"
#include "app/start_options.h"
#include "app/translations.h"
#include "gui/application.h"

using namespace notarra;

int main(int argc, char** argv) {
  // Settings live in the XDG config folder, as notarra/notarra.conf.
  QCoreApplication::setOrganizationName("notarra");
  QCoreApplication::setApplicationName("notarra");
  // The window belongs to its menu entry (Wayland matches them by this name).
  QGuiApplication::setDesktopFileName("example.notarra.Notarra");
  // Read before the application object exists: --help and --version need no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const TStartOptions options = ParseStartArguments(arguments);
  if (options.Exit) {
    std::fputs(options.Message.toLocal8Bit().constData(), options.ExitCode == 0 ? stdout : stderr);
    return options.ExitCode;
  }
  QString error;
  if (!PrepareDataFolder(options.Folder, error)) {
    std::fprintf(stderr, "notarra: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  if (!QDir::setCurrent(options.Folder)) {
    std::fprintf(stderr, "notarra: cannot open the data folder %s\n", options.Folder.toLocal8Bit().constData());
    return 1;
  }
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  InstallTranslations(app);
  if (HoldsTables(options.Folder)) RememberDataFolder(options.Folder);
  InstallHelpViewer(app);
  TfrmBlog window;
  CloseOnQuitSignals(window);
  window.show();
  const int result = app.exec();
  delete CurrentHelpWindow();  // owner-less, and may still be open
  return result;
}
