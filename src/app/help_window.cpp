#include "app/help_window.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <algorithm>

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
  setWindowTitle(tr("Notarra Help"));
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
  const QString page = context == 30 ? "ideas.html" : "index.html";
  // The pages in the locale's language where there are any (help/de/...).
  const QString translated = QString(":/help/%1/%2").arg(QLocale().name().section('_', 0, 0), page);
  return QUrl("qrc" + (QFile::exists(translated) ? translated : ":/help/" + page));
}

void THelpWindow::ShowContext(int context) {
  setSource(PageForContext(context));
  const bool opening = !isVisible();
  show();
  // Placed once shown, when its frame is known.
  if (opening) PlaceOnScreen();
  raise();
  activateWindow();
}

void THelpWindow::PlaceOnScreen() {
  // Beside what the person is looking at: centred on the active window, on
  // its screen, and wholly within what that screen shows.
  const QWidget* near = QApplication::activeWindow();
  if (near == this) near = nullptr;
  const QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  resize(size().boundedTo(room.size()));
  QRect frame(QPoint(), frameGeometry().size().boundedTo(room.size()));
  frame.moveCenter(near ? near->frameGeometry().center() : room.center());
  frame.moveLeft(std::clamp(frame.left(), room.left(), room.right() - frame.width() + 1));
  frame.moveTop(std::clamp(frame.top(), room.top(), room.bottom() - frame.height() + 1));
  move(frame.topLeft());
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
