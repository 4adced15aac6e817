#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/help_window.h"
#include "app_test_support.h"
#include "dataset/field_types.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_schema.h"

namespace {

namespace fs = std::filesystem;
using apptest::ReadFile;

// A data folder with the three tables; the user table's captions are ours.
class DataFolder {
public:
  DataFolder() {
    TVelaCursor ideas, groups, user;
    AddIdeaFields(ideas);
    AddSampleIdeas(ideas);
    AddGroupFields(groups);
    AddSampleGroups(groups);
    AddUserFields(user);
    ideas.SaveToFile(dir / kIdeaTableName, 0, false, "");
    groups.SaveToFile(dir / kGroupTableName, 0, false, "");
    user.SaveToFile(dir / kUserTableName, 0, false, "");
  }
  // Adds one user-table record with these captions.
  void SetCaptions(const std::string& first, const std::string& second) {
    TVelaDatabase db;
    db.SetDatabasePath(dir.Path().string());
    TVelaTable table;
    table.SetDatabase(&db);
    table.SetTableName(kUserTableName);
    table.SetLoadMode(lmFile);
    table.Open();
    table.Append();
    table.FieldByName("Fldname1")->SetAsString(first);
    table.FieldByName("Fldname2")->SetAsString(second);
    table.Post();
    db.SaveDatasets({&table});
  }
  std::string operator/(const std::string& name) const { return dir / name; }
  // Sets the file's time well into the past, so that a rewrite shows.
  void Age(const std::string& name) const {
    fs::last_write_time(dir / name, fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  bool Written(const std::string& name) const {
    return fs::last_write_time(dir / name) > fs::file_time_type::clock::now() - std::chrono::minutes(30);
  }
  apptest::TempDir dir;
};

// Opens a window on the folder: the tables are read from the working directory.
std::unique_ptr<TfrmBlog> OpenWindow(const DataFolder& data) {
  const QString before = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(data.dir.Path().string()));
  auto window = std::make_unique<TfrmBlog>();
  QDir::setCurrent(before);
  return window;
}

// Reads one idea table file afresh, as the next start would.
std::vector<std::string> SubjectsOnDisk(const DataFolder& data) {
  TVelaDatabase db;
  db.SetDatabasePath(data.dir.Path().string());
  TVelaTable table;
  table.SetDatabase(&db);
  table.SetTableName(kIdeaTableName);
  table.SetLoadMode(lmFile);
  table.Open();
  std::vector<std::string> subjects;
  for (table.First(); !table.EOF(); table.Next()) subjects.push_back(table.FieldByName("Subject")->AsString());
  return subjects;
}

void ClickTab(TfrmBlog& window, int index) {
  QTabBar* bar = window.PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void ClickToolButton(TfrmBlog& window, QAction* action) {
  QWidget* button = window.Toolbar->widgetForAction(action);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

TEST(MainWindowStart, OpensTheThreeTablesAndShowsTheCaptions) {
  DataFolder data;
  data.SetCaptions("Audience", "Words");
  apptest::TMessageRecorder messages;
  auto window = OpenWindow(data);
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->windowTitle(), "Notarra-");
  EXPECT_TRUE(window->Userdef_->Active());
  EXPECT_TRUE(window->BlogI_->Active());
  EXPECT_TRUE(window->Group_->Active());
  EXPECT_GT(window->BlogI_->RecordCount(), 0);
  EXPECT_EQ(window->BlogI_->IndexFieldNames(), "Group;Subject");
  EXPECT_EQ(window->Veladb->DatabasePath(), data.dir.Path().string() + "/");
  EXPECT_EQ(window->PageControl1->currentWidget(), window->TabSheet1);
  EXPECT_EQ(window->ListUserFieldTitles()[0], "Audience");
  EXPECT_EQ(window->ListUserFieldTitles()[1], "Words");
  // The labels keep their design captions until the Item page is picked.
  EXPECT_EQ(window->Label9->text(), "Field1");
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  ClickTab(*window, 1);
  EXPECT_EQ(window->Label9->text(), "Audience");
  EXPECT_EQ(window->Label10->text(), "Words");
}

TEST(MainWindowStart, EachMissingFileStopsTheOpensFromThereOn) {
  const char* files[] = {kUserTableName, kIdeaTableName, kGroupTableName};
  const char* components[] = {"Userdef_", "BlogI_", "Group_"};
  for (int missing = 0; missing < 3; ++missing) {
    SCOPED_TRACE(files[missing]);
    DataFolder data;
    fs::remove(data / files[missing]);
    apptest::TMessageRecorder messages;
    auto window = OpenWindow(data);
    ASSERT_EQ(messages->errors.size(), 1u);
    EXPECT_EQ(messages->errors[0],
              std::string(components[missing]) + ": Error opening file " + (data / files[missing]));
    TVelaTable* tables[] = {window->Userdef_, window->BlogI_, window->Group_};
    for (int t = 0; t < 3; ++t) EXPECT_EQ(tables[t]->Active(), t < missing) << components[t];
    // The window still comes up, with empty captions.
    EXPECT_TRUE(apptest::ShowActive(window.get()));
    EXPECT_EQ(window->ListUserFieldTitles()[0], "");
  }
}

TEST(MainWindowStart, EmptyUserTableGivesEmptyCaptions) {
  DataFolder data;  // User.d without records
  apptest::TMessageRecorder messages;
  auto window = OpenWindow(data);
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->ListUserFieldTitles()[0], "");
  EXPECT_EQ(window->ListUserFieldTitles()[1], "");
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  ClickTab(*window, 1);
  EXPECT_EQ(window->Label9->text(), "");
  EXPECT_EQ(window->Label10->text(), "");
}

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    data.SetCaptions("Audience", "Words");
    window = OpenWindow(data);
    ASSERT_TRUE(apptest::ShowActive(window.get()));
    for (const char* f : {kIdeaTableName, kGroupTableName, kUserTableName}) data.Age(f);
    ideaBytes = ReadFile(data / kIdeaTableName);
  }
  DataFolder data;
  apptest::TMessageRecorder messages;
  std::unique_ptr<TfrmBlog> window;
  std::string ideaBytes;
};

TEST_F(MainWindowTest, SaveWithoutChangesWritesNothing) {
  ClickToolButton(*window, window->SaveButton);
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  // A changed user-field caption is never written either.
  window->Userdef_->Edit();
  window->Userdef_Fldname1->SetAsString("Readers");
  window->Userdef_->Post();
  ClickToolButton(*window, window->SaveButton);
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  EXPECT_FALSE(data.Written(kUserTableName));
  EXPECT_TRUE(messages->errors.empty());
}

TEST_F(MainWindowTest, SavePostsAnOpenEditAndWritesOnlyTheIdeaTable) {
  window->BlogI_->First();
  window->BlogI_->Edit();
  window->BlogI_Subject->SetAsString("A subject typed but not posted");
  ClickToolButton(*window, window->SaveButton);
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->BlogI_->State(), dsBrowse);
  EXPECT_FALSE(window->BlogI_->ChangesPending());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_NE(std::find(subjects.begin(), subjects.end(), "A subject typed but not posted"), subjects.end());
}

TEST_F(MainWindowTest, ClosingDiscardsUnsavedChanges) {
  window->BlogI_->Append();
  window->BlogI_Subject->SetAsString("Never saved");
  window->BlogI_->Post();
  QTest::keyClick(window.get(), Qt::Key_Alt);  // the window is live
  window->Exit1->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->BlogI_->Active());
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_EQ(ReadFile(data / kIdeaTableName), ideaBytes);
  auto next = OpenWindow(data);
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_EQ(std::find(subjects.begin(), subjects.end(), "Never saved"), subjects.end());
  EXPECT_EQ(next->BlogI_->RecordCount(), static_cast<int>(subjects.size()));
}

TEST_F(MainWindowTest, UserPageDisablesTheToolBarButNotTheMenu) {
  ClickTab(*window, 2);
  EXPECT_EQ(window->PageControl1->currentWidget(), window->TabSheet3);
  for (QAction* a : {window->SaveButton, window->FindButton, window->HelpButton})
    EXPECT_FALSE(window->Toolbar->widgetForAction(a)->isEnabled()) << a->objectName().toStdString();
  EXPECT_FALSE(window->DBNavigator1->isEnabled());

  window->BlogI_->First();
  window->BlogI_->Edit();
  window->BlogI_Title->SetAsString("Saved from the menu");
  window->BlogI_->Post();
  // File > Save with the mouse.
  QMenu* file = window->menuBar()->findChild<QMenu*>("File1");
  ASSERT_NE(file, nullptr);
  QTest::mouseClick(window->menuBar(), Qt::LeftButton, {},
                    window->menuBar()->actionGeometry(file->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
  QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(window->Save1).center());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(window->BlogI_->ChangesPending());

  ClickTab(*window, 0);
  EXPECT_TRUE(window->Toolbar->widgetForAction(window->SaveButton)->isEnabled());
  EXPECT_TRUE(window->DBNavigator1->isEnabled());
}

TEST_F(MainWindowTest, ListPageTakesTheCurrentCaptions) {
  ClickTab(*window, 2);
  window->Userdef_->Edit();
  window->Userdef_Fldname1->SetAsString("Readers");
  window->Userdef_->Post();
  ClickTab(*window, 0);
  EXPECT_EQ(window->ListUserFieldTitles()[0], "Readers");
  EXPECT_EQ(window->ListUserFieldTitles()[1], "Words");
}

TEST_F(MainWindowTest, UserTableInsertTellsAndGoesOn) {
  window->Userdef_->Insert();
  ASSERT_EQ(messages->information.size(), 1u);
  EXPECT_EQ(messages->information[0], "New Records not supported in this version.");
  EXPECT_EQ(window->Userdef_->State(), dsInsert);
  window->Userdef_->Cancel();
}

TEST_F(MainWindowTest, InsertOnTheItemPageFocusesTheSubject) {
  ClickTab(*window, 1);
  window->DBEkey->setFocus();
  window->BlogI_->Insert();
  EXPECT_TRUE(window->DBEsubject->hasFocus());
  window->BlogI_->Cancel();
  // On the List page the focus stays where it is.
  ClickTab(*window, 0);
  window->PageControl1->tabBar()->setFocus();
  window->BlogI_->Insert();
  EXPECT_FALSE(window->DBEsubject->hasFocus());
  window->BlogI_->Cancel();
}

TEST_F(MainWindowTest, UnsupportedCommandsSaySo) {
  window->CreateFile1->trigger();
  window->Open1->trigger();
  ASSERT_EQ(messages->information.size(), 2u);
  EXPECT_EQ(messages->information[0], "Not supported in this version.");
  EXPECT_EQ(messages->information[1], "Not supported in this version.");
}

TEST_F(MainWindowTest, HelpOpensTheIdeasTopic) {
  ClickToolButton(*window, window->HelpButton);
  THelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->source(), THelpWindow::PageForContext(30));
  const QString text = help->toPlainText();
  for (const char* topic : {"Listing", "Editing", "Sorting", "Filtering", "Saving"})
    EXPECT_TRUE(text.contains(topic)) << topic;
  help->close();
}

TEST_F(MainWindowTest, WebButtonSortsBySubjectThenGroup) {
  ClickToolButton(*window, window->WebButton);
  EXPECT_EQ(window->BlogI_->IndexFieldNames(), "Subject;Group");
  std::string previous;
  for (window->BlogI_->First(); !window->BlogI_->EOF(); window->BlogI_->Next()) {
    const std::string subject = window->BlogI_Subject->AsString();
    EXPECT_LE(previous, subject);
    previous = subject;
  }
}

TEST_F(MainWindowTest, FailedSaveIsShownAndKeepsTheChanges) {
  window->Group_->Edit();
  window->Group_CATEGORY->SetAsString("Changed");
  window->Group_->Post();
  window->BlogI_->Edit();
  window->BlogI_Subject->SetAsString("Cannot be written");
  window->BlogI_->Post();
  // A folder where the idea file was: the write must fail.
  fs::remove(data / kIdeaTableName);
  fs::create_directory(data / kIdeaTableName);
  ClickToolButton(*window, window->SaveButton);
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_NE(messages->errors[0].find("Blog_Ideas.d"), std::string::npos) << messages->errors[0];
  EXPECT_TRUE(window->BlogI_->ChangesPending());
  // The group table's save did not run.
  EXPECT_FALSE(data.Written(kGroupTableName));
  EXPECT_TRUE(window->Group_->ChangesPending());
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
