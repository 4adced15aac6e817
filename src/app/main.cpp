// notarra: the program. Usage: notarra [DATA-FOLDER]
// The tables are read from the working directory; a folder named on the
// command line becomes the working directory first. The hidden option
// --screenshots DIR saves pictures of the pages and the licence box to DIR
// and ends the program.
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "gui/application.h"
#include "gui/qt_text.h"
#include "platform/services.h"

#include <QTabWidget>

namespace {

bool SaveScreenshots(TfrmBlog& window, const QString& dir) {
  if (!QDir().mkpath(dir)) return false;
  bool ok = true;
  const char* names[] = {"list", "item", "user"};
  for (int page = 0; page < window.PageControl1->count(); ++page) {
    window.PageControl1->setCurrentIndex(page);
    QCoreApplication::processEvents();
    ok = window.grab().save(dir + "/page-" + names[page] + ".png") && ok;
  }
  window.PageControl1->setCurrentIndex(0);
  TAboutBox1 box(&window);
  box.show();
  QCoreApplication::processEvents();
  ok = box.grab().save(dir + "/licence-box.png") && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  InstallHelpViewer(app);

  QString screenshots;
  QStringList args = app.arguments().mid(1);
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == "--screenshots" && i + 1 < args.size()) {
      screenshots = args[i + 1];
      args.remove(i, 2);
      --i;
    }
  }
  if (args.size() > 1) {
    std::fprintf(stderr, "Usage: notarra [DATA-FOLDER]\n");
    return 2;
  }
  if (args.size() == 1 && !QDir::setCurrent(args[0])) {
    std::fprintf(stderr, "notarra: cannot use %s as the data folder\n", args[0].toLocal8Bit().constData());
    return 1;
  }

  TfrmBlog window;
  window.show();
  if (!screenshots.isEmpty()) {
    QTimer::singleShot(0, &window, [&] {
      const bool ok = SaveScreenshots(window, screenshots);
      std::fprintf(stderr, ok ? "Screenshots saved to %s\n" : "Could not save screenshots to %s\n",
                   screenshots.toLocal8Bit().constData());
      window.close();
      QCoreApplication::exit(ok ? 0 : 1);
    });
  }
  return app.exec();
}
