// The help system: a window that shows the program's own HTML help pages,
// which are compiled into the program. The main window hands the
// application a help file name and a context number; InstallHelpViewer
// answers those requests by opening the page for that context.
#pragma once

#include <QTextBrowser>
#include <string>

namespace notarra {

class TApplication;

class THelpWindow : public QTextBrowser {
  Q_OBJECT

public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // The page of a context number of notarra.chm; the contents page for unknown ones.
  static QUrl PageForContext(int context);
  void ShowContext(int context);

private:
  void PlaceOnScreen();
};

// Makes app answer help requests for "notarra.chm" with a THelpWindow
// (one window, reused). Returns that window's owner-less singleton on demand.
void InstallHelpViewer(TApplication& app);
// The window the viewer opened last, or nullptr.
THelpWindow* CurrentHelpWindow();

}  // namespace notarra
