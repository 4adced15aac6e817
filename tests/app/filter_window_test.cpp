// The main window's filter commands, title, message boxes, shortcuts and
// the session's password box, in the running window on real table files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <memory>
#include <set>

#include "app/main_window.h"
#include "app_test_support.h"
#include "controls/grid/db_grid.h"
#include "dataset/data_source.h"
#include "filterdialog/filter_dialog.h"
#include "filterdialog/filter_form.h"
#include "filterdialog/filter_summary.h"
#include "gui/mask_edit.h"
#include "gui/password_dialog.h"
#include "gui/qt_services.h"
#include "gui/string_grid.h"
#include "tableengine/session.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {


// A data folder with the sample tables; the idea table protected when a
// password is given.
struct Folder {
  explicit Folder(const std::string& password = "") {
    TVelaCursor ideas, groups, user;
    AddIdeaFields(ideas);
    AddSampleIdeas(ideas);
    if (!password.empty()) ideas.SetPassword(password);
    AddGroupFields(groups);
    AddSampleGroups(groups);
    AddUserFields(user);
    AddSampleUser(user);
    ideas.SaveToFile(dir / kIdeaTableName, 0, false, "");
    groups.SaveToFile(dir / kGroupTableName, 0, false, "");
    user.SaveToFile(dir / kUserTableName, 0, false, "");
  }
  std::unique_ptr<TfrmBlog> Open() const {
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path().string()));
    auto window = std::make_unique<TfrmBlog>();
    QDir::setCurrent(before);
    return window;
  }
  // (subject, group) of every idea in the file, as the next start reads it.
  std::multiset<std::pair<std::string, std::string>> OnDisk(const std::string& password = "") const {
    TVelaDatabase db;
    db.SetDatabasePath(dir.Path().string());
    TVelaTable table;
    table.SetDatabase(&db);
    table.SetTableName(kIdeaTableName);
    table.SetLoadMode(lmFile);
    if (!password.empty()) table.SetPassword(password);
    table.Open();
    std::multiset<std::pair<std::string, std::string>> ideas;
    for (table.First(); !table.Eof(); table.Next())
      ideas.emplace(table.FieldByName("Subject")->AsString(), table.FieldByName("Group")->AsString());
    return ideas;
  }
  apptest::TempDir dir;
};

std::multiset<std::pair<std::string, std::string>> Visible(TVelaTable* table) {
  std::multiset<std::pair<std::string, std::string>> ideas;
  for (table->First(); !table->Eof(); table->Next())
    ideas.emplace(table->FieldByName("Subject")->AsString(), table->FieldByName("Group")->AsString());
  return ideas;
}

void ClickTool(TfrmBlog& window, QAction* action) {
  QWidget* button = window.Toolbar()->widgetForAction(action);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

void ClickField(TsfFilterDlg& f, const char* name) {
  const auto items = f.FieldsListBox()->findItems(name, Qt::MatchExactly);
  ASSERT_FALSE(items.isEmpty()) << name;
  QTest::mouseClick(f.FieldsListBox()->viewport(), Qt::LeftButton, {},
                    f.FieldsListBox()->visualItemRect(items.front()).center());
}

class FilterWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    window = folder.Open();
    ASSERT_TRUE(apptest::ShowActive(window.get()));
    all = Visible(window->BlogI_());
  }
  Folder folder;
  apptest::TMessageRecorder messages;
  std::unique_ptr<TfrmBlog> window;
  std::multiset<std::pair<std::string, std::string>> all;
};

TEST_F(FilterWindowTest, SetFilterOnAGroupViewSummaryAndRemoveFilter) {
  std::vector<std::string> summary;
  QString title;
  WhenModal<TsfFilterDlg>([&](TsfFilterDlg* f) {
    title = f->windowTitle();
    ClickField(*f, "Group");
    QTest::keyClicks(f->FilterValueEdit(), "Cooking");
    QTest::mouseClick(f->MatchTypeItem(0), Qt::LeftButton);
    WhenModal<TsfFilterDialogView>([&](TsfFilterDialogView* view) {
      for (int c = 0; c < 3; ++c) summary.push_back(view->StringGrid1()->Cells(c, 1));
      QTest::mouseClick(view->OKButton(), Qt::LeftButton);
    });
    QTest::mouseClick(f->ViewButton(), Qt::LeftButton);
    QTest::mouseClick(f->OKButton(), Qt::LeftButton);
  });
  ClickTool(*window, window->FindButton());
  EXPECT_EQ(title, "Filter");
  EXPECT_EQ(summary, (std::vector<std::string>{"Group", "Exact Match", "Cooking"}));
  EXPECT_TRUE(messages->errors.empty());
  const auto shown = Visible(window->BlogI_());
  std::size_t cooking = 0;
  for (const auto& idea : all) cooking += idea.second == "Cooking";
  ASSERT_GT(cooking, 0u);
  EXPECT_EQ(shown.size(), cooking);
  EXPECT_EQ(window->BlogI_()->RecordCount(), static_cast<int>(cooking));
  for (const auto& idea : shown) EXPECT_EQ(idea.second, "Cooking") << idea.first;
  EXPECT_TRUE(window->BlogI_()->Filtered());
  // The List grid shows just those ideas.
  TVelaDBGrid* grid = window->VelaDBGrid1();
  int groupColumn = -1;
  for (int i = 0; i < grid->Columns().Count(); ++i)
    if (grid->Columns()[i]->FieldName() == "Group") groupColumn = i;
  ASSERT_GE(groupColumn, 0);
  for (int row = 0; row < static_cast<int>(cooking); ++row) EXPECT_EQ(grid->DataCellText(groupColumn, row), "Cooking");

  // Remove Filter from the File menu: everything again, no criteria.
  window->RemoveFilter1()->trigger();
  EXPECT_FALSE(window->BlogI_()->Filtered());
  EXPECT_EQ(Visible(window->BlogI_()), all);
  EXPECT_TRUE(window->sfFilterD1()->FieldInfo().empty());
  bool other = false;
  for (int row = 0; row <= static_cast<int>(cooking); ++row) other = other || grid->DataCellText(groupColumn, row) != "Cooking";
  EXPECT_TRUE(other) << "the grid shows the other groups again";

  // Ctrl+F opens the dialog again, on the All tab with empty editors.
  bool fresh = false;
  WhenModal<TsfFilterDlg>([&](TsfFilterDlg* f) {
    fresh = f->FieldTabSet()->currentIndex() == 0 && f->FilterValueEdit()->text().isEmpty();
    QTest::mouseClick(f->CancelButton(), Qt::LeftButton);
  });
  // The shortcut needs the window active again after the dialog.
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(fresh);
  EXPECT_FALSE(window->BlogI_()->Filtered());
}

TEST_F(FilterWindowTest, CancelLeavesTheListAsItWas) {
  WhenModal<TsfFilterDlg>([&](TsfFilterDlg* f) {
    ClickField(*f, "Subject");
    QTest::keyClicks(f->FilterValueEdit(), "K");
    QTest::mouseClick(f->OKButton(), Qt::LeftButton);
  });
  window->Filter1()->trigger();
  const auto narrowed = Visible(window->BlogI_());
  ASSERT_LT(narrowed.size(), all.size());
  WhenModal<TsfFilterDlg>([&](TsfFilterDlg* f) {
    QTest::keyClick(f->FilterValueEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(f->FilterValueEdit(), "S");
    QTest::keyClick(f, Qt::Key_Escape);
  });
  ClickTool(*window, window->FindButton());
  EXPECT_EQ(Visible(window->BlogI_()), narrowed);
  ASSERT_EQ(window->sfFilterD1()->FieldInfo().size(), 1u);
  EXPECT_EQ(window->sfFilterD1()->FieldInfo()[0]->FilterValue, "K");
}

TEST_F(FilterWindowTest, SaveAfterFilteringWritesEveryIdea) {
  WhenModal<TsfFilterDlg>([&](TsfFilterDlg* f) {
    ClickField(*f, "Group");
    QTest::keyClicks(f->FilterValueEdit(), "Tech");
    QTest::mouseClick(f->OKButton(), Qt::LeftButton);
  });
  ClickTool(*window, window->FindButton());
  ASSERT_LT(window->BlogI_()->RecordCount(), static_cast<int>(all.size()));
  window->BlogI_()->First();
  const std::string subject = window->BlogI_()->FieldByName("Subject")->AsString();
  window->BlogI_()->Edit();
  window->BlogI_()->FieldByName("Subject")->SetAsString(subject + " (filtered)");
  window->BlogI_()->Post();
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(messages->errors.empty());
  auto expected = all;
  expected.erase(expected.find({subject, "Tech"}));
  expected.emplace(subject + " (filtered)", "Tech");
  EXPECT_EQ(folder.OnDisk(), expected);
}

TEST_F(FilterWindowTest, TitleMessageBoxesAndShortcuts) {
  EXPECT_EQ(window->windowTitle(), "Notarra-[*]");
  EXPECT_EQ(MessageBoxTitle(), "Notarra");
  // The toolkit would append a display name to the title bar.
  EXPECT_NE(QGuiApplication::applicationDisplayName(), "Notarra");
  EXPECT_EQ(window->Save1()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(window->Filter1()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
  EXPECT_EQ(window->Help2()->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(window->Exit1()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  // A message box of the running program carries the title.
  TQtMessageService qt;
  TMessageService* recorder = SetMessageService(&qt);
  QString title, text;
  WhenModal<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    text = box->text();
    box->reject();
  });
  apptest::TempDir empty;
  window->OnChooseFolder = [&](const QString&) { return QString::fromStdString(empty.Path().string()); };
  window->Open1()->trigger();
  SetMessageService(recorder);
  EXPECT_EQ(title, "Notarra");
  EXPECT_TRUE(text.startsWith("Notarra cannot open the folder ")) << text.toStdString();
}

// The password box answers from a list, one entry per time it is shown.
class PasswordTest : public ::testing::Test {
protected:
  void SetUp() override { previous = SetPasswordPrompt([](const std::string&, std::string& p) { return TPasswordDialog::Ask(p); }); }
  void TearDown() override {
    SetPasswordPrompt(previous);
    VelaSession().RemovePassword(password);
  }
  void Answer(std::vector<std::string> answers) {
    auto remaining = std::make_shared<std::vector<std::string>>(std::move(answers));
    // The fixture holds the answering function, so that it can schedule itself
    // again without owning itself.
    answerer = [this, remaining](TPasswordDialog* box) {
      ++shown;
      layoutOk = layoutOk && box->windowTitle() == "Login password" && box->Label()->text() == "Enter password:" &&
                 box->Edit()->echoMode() == QLineEdit::Password && box->Edit()->maxLength() == 255 &&
                 box->OkButton()->isDefault();
      QTest::keyClicks(box->Edit(), QString::fromStdString(remaining->front()));
      remaining->erase(remaining->begin());
      if (!remaining->empty()) QTimer::singleShot(50, [this] { WhenModal<TPasswordDialog>(answerer); });
      QTest::keyClick(box->Edit(), Qt::Key_Return);
    };
    WhenModal<TPasswordDialog>(answerer);
  }
  std::function<void(TPasswordDialog*)> answerer;
  std::string password = "Plum-tart 7";
  TPasswordPrompt previous;
  apptest::TMessageRecorder messages;
  int shown = 0;
  bool layoutOk = true;
};

TEST_F(PasswordTest, WrongThenRightPasswordOpensTheProtectedTable) {
  Folder folder(password);
  Answer({"plum", password});
  auto window = folder.Open();
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(layoutOk);
  EXPECT_EQ(messages->information, (std::vector<std::string>{"Password is invalid. Try again"}));
  EXPECT_TRUE(messages->errors.empty());
  ASSERT_TRUE(window->BlogI_()->Active());
  EXPECT_EQ(Visible(window->BlogI_()), folder.OnDisk(password));
}

TEST_F(PasswordTest, ThreeWrongPasswordsGiveTheEnginesMessage) {
  Folder folder(password);
  Answer({"a", "b", "c"});
  auto window = folder.Open();
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(messages->information.size(), 2u);
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_NE(messages->errors[0].find("Invalid password. Table cannot be open"), std::string::npos) << messages->errors[0];
  EXPECT_FALSE(window->BlogI_()->Active());
}

}  // namespace
