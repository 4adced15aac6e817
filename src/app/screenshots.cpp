// notarra-screenshots OUT-DIR: opens the main window on the tables of the
// working directory, as the program does, and saves pictures of the List,
// Item and User pages and of the licence box to OUT-DIR, for a person to
// look at. scripts/screenshot.sh runs it under Xvfb.
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QListWidget>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/idea_search.h"
#include "app/main_window.h"
#include "controls/edit/calculator.h"
#include "controls/edit/calendar.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/popup_tree.h"
#include "controls/edit/vela_db_edit.h"
#include "controls/edit/vela_listbox.h"
#include "controls/grid/db_grid.h"
#include "controls/grid/db_grid_inplace_edit.h"
#include "dataset/data_source.h"
#include "dataset/field.h"
#include "filterdialog/date_edit.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "filterdialog/filter_summary.h"
#include "gui/application.h"
#include "gui/mask_edit.h"
#include "gui/password_dialog.h"
#include "gui/popup_window.h"
#include "platform/date_time.h"
#include "platform/services.h"
#include "tableengine/vela_table.h"

namespace notarra {

namespace {

// Lets the window settle (layout, first paint) before it is grabbed.
void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The window with its open popup drawn where it floats (a popup is a
// window of its own, which grabbing the form leaves out).
bool SaveWithPopup(QWidget* window, QWidget* popup, const QString& path) {
  QPixmap shot = window->grab();
  if (popup != nullptr && popup->isVisible()) {
    const QPoint at = popup->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0));
    const QRect all = QRect(QPoint(0, 0), shot.deviceIndependentSize().toSize()).united(QRect(at, popup->size()));
    QPixmap canvas(all.size() * shot.devicePixelRatio());
    canvas.setDevicePixelRatio(shot.devicePixelRatio());
    canvas.fill(Qt::darkGray);
    QPainter painter(&canvas);
    painter.drawPixmap(-all.topLeft(), shot);
    painter.drawPixmap(at - all.topLeft(), popup->grab());
    painter.end();
    shot = canvas;
  }
  return shot.save(path);
}

// Opens the edit's popup, saves the window with it and closes it again.
bool SaveOpenPopup(QWidget* window, TVelaDBEdit* edit, const QString& path,
                   const std::function<void()>& whileOpen = {}) {
  edit->setFocus();
  edit->DropDown();
  if (whileOpen) whileOpen();
  Settle();
  const bool ok = SaveWithPopup(window, edit->ActivePopup(), path);
  edit->CloseUp(false);
  return ok;
}

// A small form with one data edit per dialog style, on tables of its own.
class TEditStylesForm : public QWidget {
public:
  TEditStylesForm() {
    setWindowTitle("Data edit styles");
    resize(360, 430);
    ideas_.FieldDefs().Add("Subject", ftString, 30);
    ideas_.FieldDefs().Add("Kind", ftString, 10);
    ideas_.FieldDefs().Add("Group", ftString, 15);
    ideas_.FieldDefs().Add("Day", ftDate);
    ideas_.FieldDefs().Add("Node", ftString, 10);
    ideas_.FieldDefs().Add("Amount", ftFloat);
    ideas_.Open();
    ideas_.AppendRecord({"Packing light", "d", "Travel", TVariant::FromDateTime(EncodeDate(2024, 5, 14)), "WPN", 12.5});
    groups_.FieldDefs().Add("CATEGORY", ftString, 15);
    groups_.Open();
    for (const char* g : {"Books", "Cooking", "Finance", "Fitness", "Gardening", "Photography", "Tech", "Travel"})
      groups_.AppendRecord({g});
    tree_.FieldDefs().Add("Lvl", ftInteger);
    tree_.FieldDefs().Add("Name", ftString, 20);
    tree_.FieldDefs().Add("Code", ftString, 10);
    tree_.Open();
    const std::vector<std::vector<TVariant>> rows = {
        {1, "Work", "W"},    {2, "Projects", "WP"}, {3, "Notes", "WPN"}, {3, "Drafts", "WPD"},
        {2, "Clients", "WC"}, {1, "Home", "H"},       {2, "Garden", "HG"}, {2, "Kitchen", "HK"}};
    for (const auto& r : rows) tree_.AppendRecord(r);
    source_.SetDataSet(&ideas_);

    int top = 12;
    auto add = [&](const char* caption, const char* field, TVelaDialogStyle style,
                   const std::function<void(TVelaDBEdit*)>& configure = {}) {
      auto* label = new QLabel(caption, this);
      label->setGeometry(12, top + 3, 100, 17);
      auto* edit = new TVelaDBEdit(this);
      edit->setGeometry(116, top, 200, 21);
      edit->SetDialogStyle(style);
      if (configure) configure(edit);
      edit->SetDataSource(&source_);
      edit->SetDataField(field);
      top += 30;
      return edit;
    };
    plain = add("vdsEdit", "Subject", vdsEdit);
    custom = add("vdsCustomDlg", "Subject", vdsCustomDlg);
    items = add("vdsCombo", "Kind", vdsCombo, [](TVelaDBEdit* e) {
      e->ComboProps().SetComboItems({"Article", "Draft", "How-to", "Interview", "List", "Review"});
      e->ComboProps().SetComboValues({"a", "d", "h", "i", "l", "r"});
    });
    lookup = add("vdsLookup", "Group", vdsLookup, [this](TVelaDBEdit* e) {
      e->SetLookupDataSet(&groups_);
      e->LookupProps().SetSourceKeyField("Group");
      e->LookupProps().SetLookupKeyField("CATEGORY");
      e->LookupProps().SetListFieldNames("CATEGORY");
      e->SetStyle(vcsDropDownList);
    });
    calendar = add("vdsCalendar", "Day", vdsCalendar);
    tree = add("vdsTree", "Node", vdsTree, [this](TVelaDBEdit* e) {
      e->SetLookupDataSet(&tree_);
      e->TreeProps().SetLevelField("Lvl");
      e->TreeProps().SetTextField("Name");
      e->TreeProps().SetUniqueField("Code");
    });
    calculator = add("vdsCalculator", "Amount", vdsCalculator);
  }
  ~TEditStylesForm() override {
    for (QWidget* child : findChildren<TVelaDBEdit*>(Qt::FindDirectChildrenOnly)) delete child;
  }

  TVelaDBEdit *plain, *custom, *items, *lookup, *calendar, *tree, *calculator;

private:
  TVelaTable ideas_, groups_, tree_;
  TDataSource source_;
};

bool SaveEditScreenshots(TfrmBlog& window, const QString& dir) {
  bool ok = true;
  window.PageControl1()->setCurrentIndex(1);
  // An idea with a group, so that the list shows it chosen.
  window.BlogI_()->Locate("Group", TVariant("Travel"), {});
  Settle();
  ok = SaveOpenPopup(&window, window.VelaDBEdit1(), dir + "/item-group-lookup.png") && ok;
  ok = SaveOpenPopup(&window, window.VelaDBEdit2(), dir + "/item-pubdate-calendar.png") && ok;
  window.PageControl1()->setCurrentIndex(0);

  TEditStylesForm form;
  form.show();
  form.activateWindow();
  Settle();
  ok = form.grab().save(dir + "/edit-styles.png") && ok;
  ok = SaveOpenPopup(&form, form.items, dir + "/edit-styles-items.png") && ok;
  ok = SaveOpenPopup(&form, form.tree, dir + "/edit-styles-tree.png", [&] {
         form.tree->PopupTree()->expandAll();
       }) && ok;
  ok = SaveOpenPopup(&form, form.calculator, dir + "/edit-styles-calculator.png") && ok;
  ok = SaveOpenPopup(&form, form.lookup, dir + "/edit-styles-lookup.png") && ok;
  form.close();
  window.activateWindow();
  Settle();
  return ok;
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
    ok = SaveWithPopup(&window, editor->ActiveList(), dir + "/grid-" + QString(field).toLower() + "-dropdown.png") && ok;
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

void SelectField(TsfFilterDlg& form, const QString& name) {
  const auto items = form.FieldsListBox()->findItems(name, Qt::MatchExactly);
  if (!items.isEmpty()) form.FieldsListBox()->setCurrentItem(items.front());
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
  ok = SaveWithPopup(&form, form.MinDateEdit()->Popup(), dir + "/filter-range-page.png") && ok;
  form.MinDateEdit()->CloseUp(false);
  // A bound that is no date is refused with a word under it.
  form.MaxDateEdit()->SetText("soon");
  SelectField(form, "Subject");
  Settle();
  ok = form.grab().save(dir + "/filter-refusal.png") && ok;
  form.MaxDateEdit()->SetText("12/31/2021");
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
  // Back to the first column: the grid pictures before scrolled to the right.
  window.VelaDBGrid1()->SetSelectedIndex(0);
  Settle();
  const bool ok = window.grab().save(dir + "/page-list-filtered.png");
  filter->ClearFilter();
  filter->ApplyFilter();
  return ok;
}

// The questions about unsaved work: on closing, and at a start after a crash.
bool SaveQuestions(TfrmBlog& window, const QString& dir) {
  bool ok = true;
  const auto save = [&](QMessageBox& box, const char* name) {
    box.show();
    Settle();
    ok = box.grab().save(dir + "/" + name) && ok;
    box.hide();
  };
  save(*TfrmBlog::QuitQuestionBox(&window), "quit-question.png");
  save(*TfrmBlog::RestoreQuestionBox(&window, 3, QDateTime(QDate(2026, 12, 10), QTime(16, 42))),
       "restore-question.png");
  return ok;
}

// Each page at the window's present size; suffix names the size.
bool SavePages(TfrmBlog& window, const QString& dir, const QString& suffix) {
  bool ok = true;
  const char* names[] = {"list", "item", "user"};
  for (int page = 0; page < window.PageControl1()->count() && page < 3; ++page) {
    window.PageControl1()->setCurrentIndex(page);
    Settle();
    ok = window.grab().save(dir + "/page-" + names[page] + suffix + ".png") && ok;
  }
  return ok;
}

// The list as it would be printed, in Qt's print preview.
bool SavePrintPreview(TfrmBlog& window, const QString& dir) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintPreviewDialog preview(&printer, &window);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &window, [&](QPrinter* p) { window.PrintList(p); });
  preview.resize(1000, 760);
  preview.show();
  Settle();
  const bool ok = preview.grab().save(dir + "/print-preview.png");
  preview.hide();
  return ok;
}

bool SaveScreenshots(TfrmBlog& window, const QString& dir) {
  const QSize designed = window.size();
  bool ok = SavePages(window, dir, "");
  // The pages follow the window: at the smallest size it allows and large.
  window.resize(1, 1);
  ok = SavePages(window, dir, "-smallest") && ok;
  window.resize(1500, 950);
  ok = SavePages(window, dir, "-large") && ok;
  window.resize(designed);
  ok = SaveGridScreenshots(window, dir) && ok;
  window.PageControl1()->setCurrentIndex(0);
  ok = SaveEditScreenshots(window, dir) && ok;
  TAboutBox1 box(&window);
  box.show();
  Settle();
  ok = box.grab().save(dir + "/licence-box.png") && ok;
  box.hide();
  ok = SaveDialogScreenshots(window, dir) && ok;
  ok = SaveFilteredList(window, dir) && ok;
  // Words typed into the search field narrow the list.
  window.IdeaSearch()->setText("book");
  Settle();
  ok = window.grab().save(dir + "/page-list-search.png") && ok;
  window.IdeaSearch()->clear();
  ok = SavePrintPreview(window, dir) && ok;
  // An idea whose notes were written with formatting.
  if (window.BlogI_()->Locate("Subject", TVariant(std::string("Sourdough starter from scratch")), {})) {
    window.PageControl1()->setCurrentIndex(1);
    Settle();
    ok = window.grab().save(dir + "/page-item-formatted.png") && ok;
    window.PageControl1()->setCurrentIndex(0);
    window.BlogI_()->First();
  }
  ok = SaveQuestions(window, dir) && ok;
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
