// notarra-screenshots OUT-DIR: opens the main window on the tables of the
// working directory, as the program does, and saves pictures of the List,
// Item and User pages and of the licence box to OUT-DIR, for a person to
// look at. scripts/screenshot.sh runs it under Xvfb.
#include <QDir>
#include <QPainter>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "controls/edit/calendar.h"
#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_inplace_edit.h"
#include "gui/application.h"
#include "platform/date_time.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"

namespace notarra {

namespace {

// Lets the window settle (layout, first paint) before it is grabbed.
void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The window with a drop-down that floats over it (a window of its own).
QPixmap GrabWithPopup(QWidget* window, QWidget* popup) {
  QPixmap shot = window->grab();
  if (popup != nullptr && popup->isVisible()) {
    QPainter painter(&shot);
    painter.drawPixmap(popup->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0)), popup->grab());
  }
  return shot;
}

// The List grid with its Group lookup and its PubDate calendar dropped down
// on one idea, and the calendar on its own. The edits are cancelled after.
bool SaveGridScreenshots(TfrmBlog& window, const QString& dir) {
  bool ok = true;
  window.PageControl1()->setCurrentIndex(0);
  TVelaDBGrid* grid = window.VelaDBGrid1();
  grid->setFocus();
  window.BlogI_()->Locate("Subject", TVariant(std::string("Sourdough starter from scratch")), {});
  Settle();
  ok = window.grab().save(dir + "/page-list-focused.png") && ok;
  for (const char* field : {"Group", "PubDate"}) {
    for (int i = 0; i < grid->Columns().Count(); ++i)
      if (grid->Columns()[i]->FieldName() == field) grid->SetSelectedIndex(i);
    grid->ShowEditor();
    auto* editor = static_cast<TVelaDBGridInplaceEdit*>(grid->InplaceEditor());
    if (editor == nullptr) return false;
    editor->OpenList();
    Settle();
    ok = GrabWithPopup(&window, editor->ActiveList()).save(dir + "/grid-" + QString(field).toLower() + "-dropdown.png") && ok;
    editor->CloseList(false);
    grid->HideEditor();
  }
  window.BlogI_()->Cancel();
  TVelaCalendar calendar;
  calendar.SetDate(EncodeDate(2026, 12, 10));
  calendar.show();
  Settle();
  ok = calendar.grab().save(dir + "/calendar.png") && ok;
  return ok;
}

bool SaveScreenshots(TfrmBlog& window, const QString& dir) {
  bool ok = true;
  const char* names[] = {"list", "item", "user"};
  for (int page = 0; page < window.PageControl1()->count() && page < 3; ++page) {
    window.PageControl1()->setCurrentIndex(page);
    Settle();
    ok = window.grab().save(dir + "/page-" + names[page] + ".png") && ok;
  }
  ok = SaveGridScreenshots(window, dir) && ok;
  window.PageControl1()->setCurrentIndex(0);
  TAboutBox1 box(&window);
  box.show();
  Settle();
  ok = box.grab().save(dir + "/licence-box.png") && ok;
  return ok;
}

}  // namespace

}  // namespace notarra

using namespace notarra;

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  app.SetTitle("Notarra");
  InstallHelpViewer(app);
  // Nobody answers a message box under Xvfb: messages and password requests
  // go to standard error instead, and the pictures are taken all the same.
  SetMessageService(nullptr);
  SetPasswordPrompt(nullptr);
  const QStringList args = app.arguments();
  if (args.size() != 2) {
    std::fprintf(stderr, "Usage: notarra-screenshots OUT-DIR   (run in a data folder)\n");
    return 2;
  }
  const QString dir = QDir(args[1]).absolutePath();
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "notarra-screenshots: cannot create %s\n", dir.toLocal8Bit().constData());
    return 1;
  }
  TfrmBlog window;
  window.show();
  int result = 1;
  QTimer::singleShot(0, &window, [&] {
    result = SaveScreenshots(window, dir) ? 0 : 1;
    std::fprintf(stderr, result == 0 ? "Screenshots saved to %s\n" : "Could not save screenshots to %s\n",
                 dir.toLocal8Bit().constData());
    window.close();
  });
  app.exec();
  return result;
}
