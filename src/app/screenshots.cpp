// notarra-screenshots OUT-DIR: opens the main window on the tables of the
// working directory, as the program does, and saves pictures of the List,
// Item and User pages and of the licence box to OUT-DIR, for a person to
// look at. scripts/screenshot.sh runs it under Xvfb.
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "filterdialog/date_edit.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "filterdialog/filter_summary.h"
#include "gui/application.h"
#include "gui/mask_edit.h"
#include "gui/password_dialog.h"
#include "gui/popup_window.h"
#include "platform/services.h"

namespace notarra {

namespace {

// Lets the window settle (layout, first paint) before it is grabbed.
void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void SelectField(TsfFilterDlg& form, const QString& name) {
  const auto items = form.FieldsListBox()->findItems(name, Qt::MatchExactly);
  if (!items.isEmpty()) form.FieldsListBox()->setCurrentItem(items.front());
}

// The screen around the form and the popup it has open (a separate window).
QPixmap GrabWithPopup(QWidget& form, QWidget* popup) {
  QRect area = form.frameGeometry();
  if (popup != nullptr && popup->isVisible()) area = area.united(popup->frameGeometry());
  return form.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

// The filter dialog on the value and the range page (a date picker open),
// the summary of its criteria, and the password box.
bool SaveDialogScreenshots(TfrmBlog& window, const QString& dir) {
  bool ok = true;
  TsfFilterDlg form(*window.sfFilterD1(), &window);
  form.FillFieldList(true);
  form.show();
  Settle();
  SelectField(form, "Group");
  form.FilterValueEdit()->SetText("Cooking");
  Settle();
  ok = form.grab().save(dir + "/filter-value-page.png") && ok;
  SelectField(form, "PubDate");
  form.MinDateEdit()->SetText("1/1/2019");
  form.MaxDateEdit()->SetText("12/31/2021");
  form.MinDateEdit()->setFocus();
  form.MinDateEdit()->DropDown();
  Settle();
  ok = GrabWithPopup(form, form.MinDateEdit()->Popup()).save(dir + "/filter-range-page.png") && ok;
  form.MinDateEdit()->CloseUp(false);
  SelectField(form, "Subject");
  Settle();
  {
    TsfFilterDialogView view(&form);
    view.Fill(*window.sfFilterD1(), form.FieldInfoList());
    view.show();
    Settle();
    ok = view.grab().save(dir + "/filter-summary.png") && ok;
  }
  form.hide();
  {
    TPasswordDialog box(&window);
    box.Edit()->setText("secret");
    box.show();
    Settle();
    ok = box.grab().save(dir + "/password-box.png") && ok;
  }
  return ok;
}

// The List page narrowed to one group by the filter component.
bool SaveFilteredList(TfrmBlog& window, const QString& dir) {
  TsfFilterDialog* filter = window.sfFilterD1();
  auto info = std::make_unique<TsfFieldInfo>();
  info->FieldName = info->DisplayName = "Group";
  info->MatchType = fdMatchExact;
  info->FilterValue = "Cooking";
  filter->FieldInfo().push_back(std::move(info));
  filter->ApplyFilter();
  window.PageControl1()->setCurrentIndex(0);
  Settle();
  const bool ok = window.grab().save(dir + "/page-list-filtered.png");
  filter->ClearFilter();
  filter->ApplyFilter();
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
  window.PageControl1()->setCurrentIndex(0);
  TAboutBox1 box(&window);
  box.show();
  Settle();
  ok = box.grab().save(dir + "/licence-box.png") && ok;
  box.hide();
  ok = SaveDialogScreenshots(window, dir) && ok;
  ok = SaveFilteredList(window, dir) && ok;
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
