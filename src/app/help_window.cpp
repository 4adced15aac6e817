#include "app/help_window.h"

#include <QPointer>
#include <QUrl>

#include "gui/application.h"
#include "platform/text.h"

namespace notarra {

namespace {

QPointer<THelpWindow> helpWindow;

bool IsOurHelpFile(std::string name) {
  name = AsciiLowerCase(name);
  const std::string ours = "notarra.chm";
  return name.size() >= ours.size() && name.compare(name.size() - ours.size(), ours.size(), ours) == 0;
}

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowTitle("Notarra Help");
  setObjectName("HelpWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  // An open help window must not keep the program running once the main
  // window is closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  setOpenExternalLinks(true);
  setSearchPaths({":/help"});
  resize(640, 520);
}

QUrl THelpWindow::PageForContext(int context) {
  switch (context) {
    case 30:
      return QUrl("qrc:/help/ideas.html");
    default:
      return QUrl("qrc:/help/index.html");
  }
}

void THelpWindow::ShowContext(int context) {
  setSource(PageForContext(context));
  show();
  raise();
  activateWindow();
}

void InstallHelpViewer(TApplication& app) {
  app.OnHelp = [](const std::string& file, int context, bool& handled) {
    if (!IsOurHelpFile(file)) return;
    if (!helpWindow) helpWindow = new THelpWindow;
    helpWindow->ShowContext(context);
    handled = true;
  };
}

THelpWindow* CurrentHelpWindow() { return helpWindow.data(); }

}  // namespace notarra
