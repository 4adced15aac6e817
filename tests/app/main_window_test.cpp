#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

#include <sys/stat.h>

#include "app/about_box.h"
#include "app/help_window.h"
#include "app/idea_search.h"
#include "app/idea_status.h"
#include "app/start_options.h"
#include "app_test_support.h"
#include "data_folder.h"
#include "main_window_access.h"
#include "dataset/field_types.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/popup_data.h"
#include "controls/edit/vela_db_edit.h"
#include "controls/grid/db_grid.h"
#include "gui/db_check_box.h"
#include "platform/conversions.h"
#include "platform/date_time.h"
#include "gui/db_edit.h"
#include "gui/db_memo.h"
#include "gui/db_navigator.h"
#include "gui/application.h"
#include "gui/db_edit.h"
#include "gui/db_navigator.h"
#include "gui/progress_dialog.h"
#include "gui/qt_services.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;
using apptest::ReadFile;
using namespace apptest;


TEST(MainWindowStart, OpensTheThreeTablesAndShowsTheCaptions) {
  DataFolder data;
  data.SetCaptions("Audience", "Words");
  apptest::TMessageRecorder messages;
  auto window = OpenWindow(data);
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->windowTitle(), "Notarra-[*]");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_TRUE(window->Userdef_()->Active());
  EXPECT_TRUE(window->BlogI_()->Active());
  EXPECT_TRUE(window->Group_()->Active());
  EXPECT_GT(window->BlogI_()->RecordCount(), 0);
  EXPECT_EQ(window->BlogI_()->IndexFieldNames(), "Group;Subject");
  EXPECT_EQ(window->Veladb()->DatabasePath(), data.dir.Path().string() + "/");
  EXPECT_EQ(window->PageControl1()->currentWidget(), window->TabSheet1());
  EXPECT_EQ(window->ListUserFieldTitles()[0], "Audience");
  EXPECT_EQ(window->ListUserFieldTitles()[1], "Words");
  // The group table hangs on the idea table without being narrowed by it.
  EXPECT_EQ(window->Group_()->MasterSource(), window->dsBlog());
  const int groups = window->Group_()->RecordCount();
  EXPECT_GT(groups, 1);
  window->BlogI_()->Last();
  EXPECT_EQ(window->Group_()->RecordCount(), groups);
  // The labels keep their design captions until the Item page is picked.
  EXPECT_EQ(window->Label9()->text(), "Field1");
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  ClickTab(*window, 1);
  EXPECT_EQ(window->Label9()->text(), "Audience");
  EXPECT_EQ(window->Label10()->text(), "Words");
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
    TVelaTable* tables[] = {window->Userdef_(), window->BlogI_(), window->Group_()};
    for (int t = 0; t < 3; ++t) EXPECT_EQ(tables[t]->Active(), t < missing) << components[t];
    // The window still comes up, with the captions of its design.
    EXPECT_TRUE(apptest::ShowActive(window.get()));
    EXPECT_EQ(window->ListUserFieldTitles()[0], "Field1");
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
  EXPECT_EQ(window->Label9()->text(), "");
  EXPECT_EQ(window->Label10()->text(), "");
}

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    data.SetCaptions("Audience", "Words");
    window = OpenWindow(data);
    ASSERT_TRUE(apptest::ShowActive(window.get()));
    for (const char* f : {kIdeaTableName, kGroupTableName, kUserTableName}) data.Mark(f);
    ideaBytes = ReadFile(data / kIdeaTableName);
  }
  DataFolder data;
  apptest::TMessageRecorder messages;
  std::unique_ptr<TfrmBlog> window;
  std::string ideaBytes;
};

// The next start finds the window as it was left: size, place, page and the
// List grid's columns.
TEST_F(MainWindowTest, TheNextStartRestoresTheWindowItsPageAndTheListColumns) {
  window->setGeometry(60, 70, 1000, 700);
  ClickTab(*window, 1);
  TVelaDBGridColumns& columns = window->VelaDBGrid1()->Columns();
  columns.Move(5, 1);  // Title second
  columns[2]->SetWidth(123);
  std::vector<std::pair<std::string, int>> left;
  for (int i = 0; i < columns.Count(); ++i) left.emplace_back(columns[i]->FieldName(), columns[i]->Width());
  ASSERT_EQ(left[1].first, "Title");
  ASSERT_TRUE(window->close());

  auto next = OpenWindow(data);
  ASSERT_TRUE(ShowActive(next.get()));
  EXPECT_EQ(next->geometry(), QRect(60, 70, 1000, 700));
  EXPECT_EQ(next->PageControl1()->currentIndex(), 1);
  std::vector<std::pair<std::string, int>> found;
  const TVelaDBGridColumns& again = next->VelaDBGrid1()->Columns();
  for (int i = 0; i < again.Count(); ++i) found.emplace_back(again[i]->FieldName(), again[i]->Width());
  EXPECT_EQ(found, left);
}

// Each page's controls lie inside the page, none on another.
void ExpectLaidOutWithoutOverlap(QWidget* page) {
  const QRect room = page->rect();
  std::vector<QWidget*> shown;
  for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->isVisibleTo(page)) shown.push_back(w);
  ASSERT_FALSE(shown.empty());
  for (QWidget* w : shown) {
    EXPECT_TRUE(room.contains(w->geometry())) << w->objectName().toStdString() << " leaves the page";
    EXPECT_GE(w->width(), w->minimumSizeHint().width()) << w->objectName().toStdString();
    for (QWidget* other : shown) {
      if (other == w) continue;
      EXPECT_FALSE(w->geometry().intersects(other->geometry()))
          << w->objectName().toStdString() << " covers " << other->objectName().toStdString();
    }
  }
}

// The pages follow the window: the grids and the notes take the room there
// is, and at the smallest size nothing is cut off or drawn over another.
TEST_F(MainWindowTest, ThePagesGrowAndShrinkWithTheWindow) {
  auto sizes = [&] {
    std::vector<QSize> found;
    for (int page = 0; page < 3; ++page) {
      window->PageControl1()->setCurrentIndex(page);
      QCoreApplication::processEvents();
      if (page == 0) found.push_back(window->VelaDBGrid1()->size());
      if (page == 1)
        for (QWidget* w : {(QWidget*)window->DBnotes(), (QWidget*)window->VelaDBGrid2(), (QWidget*)window->DBEtitle()})
          found.push_back(w->size());
      if (page == 2) found.push_back(window->dbgGroup()->size());
    }
    return found;
  };
  const std::vector<QSize> designed = sizes();
  window->resize(1500, 900);
  const std::vector<QSize> large = sizes();
  for (std::size_t i = 0; i < designed.size(); ++i) {
    EXPECT_GT(large[i].width(), designed[i].width()) << i;
    if (i != 3) {  // an edit keeps its height
      EXPECT_GT(large[i].height(), designed[i].height()) << i;
    }
  }
  EXPECT_EQ(window->VelaDBGrid1()->width(), window->TabSheet1()->width() - 2 * 8);
  // A short value's edit keeps its designed width.
  EXPECT_EQ(window->VelaDBEdit2()->width(), 120);

  window->resize(100, 100);
  const QSize smallest = window->size();
  EXPECT_GT(smallest.width(), 100);
  EXPECT_LE(smallest.width(), 911);
  EXPECT_LE(smallest.height(), 602);
  // Every tool button and the whole search field stay on the tool bar.
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->IdeaSearch()->isVisible());
  EXPECT_GE(window->IdeaSearch()->width(), window->IdeaSearch()->minimumWidth());
  for (int page = 0; page < 3; ++page) {
    window->PageControl1()->setCurrentIndex(page);
    QCoreApplication::processEvents();
    ExpectLaidOutWithoutOverlap(window->PageControl1()->currentWidget());
  }
}

// Every page and menu is reached from the keyboard.
TEST_F(MainWindowTest, PageKeysAndMnemonicsReachEveryPageAndMenu) {
  QTabWidget* pages = window->PageControl1();
  TVelaDBGrid* grid = window->VelaDBGrid1();
  grid->setFocus();
  ASSERT_TRUE(grid->hasFocus());
  QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 0);  // round again
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 2);

  // Ctrl+Tab changes pages, but leaves a grid for the next control instead.
  pages->setCurrentIndex(1);
  window->DBEsubject()->setFocus();
  QTest::keyClick(window->DBEsubject(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 2);
  pages->setCurrentIndex(1);
  window->DBEsubject()->setFocus();
  QTest::keyClick(window->DBEsubject(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(pages->currentIndex(), 0);
  pages->setCurrentIndex(1);
  window->VelaDBGrid2()->setFocus();
  QTest::keyClick(window->VelaDBGrid2(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_FALSE(window->VelaDBGrid2()->hasFocus());

  // Alt and a page's letter; Alt+F opens the File menu.
  QTest::keyClick(window.get(), Qt::Key_U, Qt::AltModifier);
  EXPECT_EQ(pages->currentIndex(), 2);
  QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);
  EXPECT_EQ(pages->currentIndex(), 0);
  QMenu* file = window->menuBar()->findChild<QMenu*>("File1");
  QTimer::singleShot(0, file, [file] { file->close(); });
  QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(window->menuBar()->activeAction(), file->menuAction());
}

// Ctrl+Z takes back what was typed in an edit, step by step, before it is posted.
TEST_F(MainWindowTest, CtrlZUndoesTypingInAnEdit) {
  ClickTab(*window, 1);
  TDBEdit* subject = window->DBEsubject();
  subject->setFocus();
  const QString before = subject->text();
  QTest::keyClick(subject, Qt::Key_End);
  QTest::keyClicks(subject, " draft");
  EXPECT_EQ(subject->text(), before + " draft");
  QTest::keyClick(subject, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(subject->text(), before);
}

// The status bar counts the ideas, says when a filter narrows them and when a
// save has written them.
TEST_F(MainWindowTest, TheStatusBarCountsTheIdeasAndTellsOfFiltersAndSaves) {
  TIdeaStatus* status = window->IdeaStatus();
  const int all = window->BlogI_()->RecordCount();
  ASSERT_GT(all, 1);
  EXPECT_EQ(status->CountText(), QString("%1 ideas").arg(all));
  EXPECT_EQ(status->FilterText(), "");

  window->BlogI_()->SetFilter("Subject LIKE 'C%'");
  window->BlogI_()->SetFiltered(true);
  const int shown = window->BlogI_()->RecordCount();
  ASSERT_LT(shown, all);
  EXPECT_EQ(status->CountText(), QString("%1 of %2 ideas").arg(shown).arg(all));
  EXPECT_EQ(status->FilterText(), "Filtered");
  window->BlogI_()->SetFiltered(false);
  EXPECT_EQ(status->FilterText(), "");

  // A new idea counts at once; scrolling counts nothing.
  window->BlogI_()->Append();
  window->BlogI_Subject()->SetAsString("One more");
  window->BlogI_()->Post();
  EXPECT_EQ(status->CountText(), QString("%1 ideas").arg(all + 1));
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(window->statusBar()->currentMessage(), "Saved");
  EXPECT_EQ(TIdeaStatus::CountOf(1, 1, false), "1 idea");
  EXPECT_EQ(TIdeaStatus::CountOf(0, 1, true), "0 of 1 idea");
}

TEST_F(MainWindowTest, SaveWithoutChangesWritesNothing) {
  ClickToolButton(*window, window->SaveButton());
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  // A changed user-field caption is written, and only its table.
  window->Userdef_()->Edit();
  window->Userdef_Fldname1()->SetAsString("Readers");
  window->Userdef_()->Post();
  EXPECT_TRUE(window->isWindowModified());
  ClickToolButton(*window, window->SaveButton());
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  EXPECT_TRUE(data.Written(kUserTableName));
  EXPECT_TRUE(messages->errors.empty());
  TVelaDatabase db;
  TVelaTable user;
  data.Open(kUserTableName, db, user);
  EXPECT_EQ(user.FieldByName("Fldname1")->AsString(), "Readers");
}

TEST_F(MainWindowTest, SavePostsAnOpenEditAndWritesOnlyTheIdeaTable) {
  window->BlogI_()->First();
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("A subject typed but not posted");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->BlogI_()->State(), dsBrowse);
  EXPECT_FALSE(window->BlogI_()->ChangesPending());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_NE(std::find(subjects.begin(), subjects.end(), "A subject typed but not posted"), subjects.end());
}

TEST_F(MainWindowTest, UserPageDisablesTheToolBarButNotTheMenu) {
  ClickTab(*window, 2);
  EXPECT_EQ(window->PageControl1()->currentWidget(), window->TabSheet3());
  for (QAction* a : {window->SaveButton(), window->FindButton(), window->HelpButton()})
    EXPECT_FALSE(window->Toolbar()->widgetForAction(a)->isEnabled()) << a->objectName().toStdString();
  EXPECT_FALSE(window->DBNavigator1()->isEnabled());

  window->BlogI_()->First();
  window->BlogI_()->Edit();
  window->BlogI_Title()->SetAsString("Saved from the menu");
  window->BlogI_()->Post();
  // File > Save with the mouse.
  QMenu* file = window->menuBar()->findChild<QMenu*>("File1");
  ASSERT_NE(file, nullptr);
  QTest::mouseClick(window->menuBar(), Qt::LeftButton, {},
                    window->menuBar()->actionGeometry(file->menuAction()).center());
  ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
  QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(window->Save1()).center());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(window->BlogI_()->ChangesPending());

  ClickTab(*window, 0);
  EXPECT_TRUE(window->Toolbar()->widgetForAction(window->SaveButton())->isEnabled());
  EXPECT_TRUE(window->DBNavigator1()->isEnabled());
}

TEST_F(MainWindowTest, ListPageTakesTheCurrentCaptions) {
  ClickTab(*window, 2);
  window->Userdef_()->Edit();
  window->Userdef_Fldname1()->SetAsString("Readers");
  window->Userdef_()->Post();
  ClickTab(*window, 0);
  EXPECT_EQ(window->ListUserFieldTitles()[0], "Readers");
  EXPECT_EQ(window->ListUserFieldTitles()[1], "Words");
}

TEST_F(MainWindowTest, UserTableInsertTellsAndGoesOn) {
  window->Userdef_()->Insert();
  ASSERT_EQ(messages->information.size(), 1u);
  EXPECT_EQ(messages->information[0], "New Records not supported in this version.");
  EXPECT_EQ(window->Userdef_()->State(), dsInsert);
  window->Userdef_()->Cancel();
}

TEST_F(MainWindowTest, InsertOnTheItemPageFocusesTheSubject) {
  ClickTab(*window, 1);
  window->DBEkey()->setFocus();
  window->BlogI_()->Insert();
  EXPECT_TRUE(window->DBEsubject()->hasFocus());
  window->BlogI_()->Cancel();
  // On the List page the focus stays where it is.
  ClickTab(*window, 0);
  window->PageControl1()->tabBar()->setFocus();
  window->BlogI_()->Insert();
  EXPECT_FALSE(window->DBEsubject()->hasFocus());
  window->BlogI_()->Cancel();
}

TEST_F(MainWindowTest, ListDoubleClickShowsTheItemWithoutThePageChangeHandler) {
  window->BlogI_()->Last();
  TfrmBlogTestAccess::VelaDBGrid1DblClick(*window);
  EXPECT_EQ(window->PageControl1()->currentWidget(), window->TabSheet2());
  EXPECT_TRUE(window->DBEsubject()->hasFocus());
  // The labels were never set from the user table.
  EXPECT_EQ(window->Label9()->text(), "Field1");
  EXPECT_TRUE(window->BlogI_()->Eof() || window->BlogI_()->RecNo() == window->BlogI_()->RecordCount());
  // Away from the List page it does nothing.
  ClickTab(*window, 2);
  TfrmBlogTestAccess::VelaDBGrid1DblClick(*window);
  EXPECT_EQ(window->PageControl1()->currentWidget(), window->TabSheet3());
}

TEST_F(MainWindowTest, HelpOpensTheIdeasTopicOnTheScreen) {
  // Centred on the window the person is looking at...
  const QRect room = window->screen()->availableGeometry();
  QRect middle = window->frameGeometry();
  middle.moveCenter(room.center());
  window->move(middle.topLeft());
  ClickToolButton(*window, window->HelpButton());
  THelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_LE((help->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 2);
  EXPECT_EQ(help->source(), THelpWindow::PageForContext(30));
  const QString text = help->toPlainText();
  for (const char* topic : {"Listing", "Editing", "Sorting", "Filtering", "Saving"})
    EXPECT_TRUE(text.contains(topic)) << topic;
  help->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  // ...but never hanging off the screen when that window is in a corner.
  window->move(room.right() - window->frameGeometry().width() / 3, room.bottom() - 100);
  ClickToolButton(*window, window->HelpButton());
  help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  const QRect at = help->frameGeometry();
  EXPECT_TRUE(room.contains(at)) << "help at " << at.x() << "," << at.y() << " (" << at.width() << "x" << at.height()
                                 << ") on a screen of " << room.width() << "x" << room.height();
  help->close();
}

TEST_F(MainWindowTest, AnOpenHelpWindowDoesNotKeepTheProgramRunning) {
  window->show();
  ClickToolButton(*window, window->HelpButton());
  THelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  ASSERT_TRUE(help->isVisible());
  // The event loop ends by itself once the main window closes; the fallback
  // timer ends it otherwise.
  bool endedByItself = true;
  QTimer::singleShot(0, window.get(), [this] { window->close(); });
  QTimer fallback;
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [&] {
    endedByItself = false;
    qApp->exit(1);
  });
  fallback.start(3000);
  qApp->exec();
  EXPECT_TRUE(endedByItself);
  delete CurrentHelpWindow();  // ending the program may have closed it already
}

TEST_F(MainWindowTest, WebButtonSortsBySubjectThenGroup) {
  ClickToolButton(*window, window->WebButton());
  EXPECT_EQ(window->BlogI_()->IndexFieldNames(), "Subject;Group");
  std::string previous;
  for (window->BlogI_()->First(); !window->BlogI_()->Eof(); window->BlogI_()->Next()) {
    const std::string subject = window->BlogI_Subject()->AsString();
    EXPECT_LE(previous, subject);
    previous = subject;
  }
}

TEST_F(MainWindowTest, FailedSaveIsShownAndKeepsTheChanges) {
  window->Group_()->Edit();
  window->Group_CATEGORY()->SetAsString("Changed");
  window->Group_()->Post();
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("Cannot be written");
  window->BlogI_()->Post();
  // A folder where the idea file was: the write must fail.
  fs::remove(data / kIdeaTableName);
  fs::create_directory(data / kIdeaTableName);
  ClickToolButton(*window, window->SaveButton());
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_NE(messages->errors[0].find("Blog_Ideas.d"), std::string::npos) << messages->errors[0];
  EXPECT_TRUE(window->BlogI_()->ChangesPending());
  // The group table's save did not run.
  EXPECT_FALSE(data.Written(kGroupTableName));
  EXPECT_TRUE(window->Group_()->ChangesPending());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, FormHasItsCaptionsSizesAndMenus) {
  EXPECT_EQ(window->size(), QSize(911, 602));
  EXPECT_EQ(window->Toolbar()->height(), 33);
  EXPECT_EQ(window->PageControl1()->width(), 911 - 2 * 11);
  ASSERT_EQ(window->PageControl1()->count(), 3);
  EXPECT_EQ(window->PageControl1()->tabText(0), "&List");
  EXPECT_EQ(window->PageControl1()->tabText(1), "&Item");
  EXPECT_EQ(window->PageControl1()->tabText(2), "&User");
  for (QAction* a : {window->NewButton(), window->SaveButton(), window->HelpButton(), window->WebButton()})
    EXPECT_EQ(window->Toolbar()->widgetForAction(a)->width(), 24) << a->objectName().toStdString();

  auto texts = [](QMenu* menu) {
    QStringList list;
    for (QAction* a : menu->actions()) list << a->text();
    return list;
  };
  QMenu* file = window->menuBar()->findChild<QMenu*>("File1");
  QMenu* help = window->menuBar()->findChild<QMenu*>("Help1");
  ASSERT_TRUE(file && help);
  EXPECT_EQ(file->title(), "&File");
  EXPECT_EQ(texts(file),
            QStringList({"&New File", "&Open File", "Recent &Folders", "&Save", "&Print...", "Print Pre&view", "&Filter",
                         "&Remove Filter", "E&xit"}));
  EXPECT_EQ(help->title(), "&Help");
  EXPECT_EQ(texts(help), QStringList({"&Help", "&About"}));
}

TEST_F(MainWindowTest, HintsGiveTooltipAndStatusBarText) {
  struct Hint {
    QAction* button;
    const char* tip;
    const char* status;
  };
  const Hint hints[] = {{window->NewButton(), "New", "Create a new document"},
                        {window->OpenButton(), "Open", "Open an existing document"},
                        {window->SaveButton(), "Save", "Save the active document"},
                        {window->PrintButton(), "Print", "Print the active document"},
                        {window->FindButton(), "Set Filter", "Set Filter"},
                        {window->PasswButton(), "Remove Filter", "Remove Filter"},
                        {window->HelpButton(), "Help", "Open the helpfile"},
                        {window->WebButton(), "Sort by Subject", "Sort the ideas by Subject, then Group"}};
  for (const Hint& h : hints) {
    SCOPED_TRACE(h.button->objectName().toStdString());
    QWidget* button = window->Toolbar()->widgetForAction(h.button);
    EXPECT_EQ(button->toolTip(), h.tip);
    // Pointing at the button puts the long hint in the status bar.
    QTest::mouseMove(button);
    QTest::mouseMove(button, button->rect().center());
    EXPECT_EQ(window->statusBar()->currentMessage(), h.status);
    QTest::mouseMove(window->PageControl1());
  }
}

TEST_F(MainWindowTest, SaveWritesOnlyTheChangedTables) {
  // Only a group changed: the idea file stays as it is.
  window->Group_()->First();
  window->Group_()->Edit();
  window->Group_CATEGORY()->SetAsString("Aardvarks");
  window->Group_()->Post();
  window->Save1()->trigger();
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_TRUE(data.Written(kGroupTableName));
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_EQ(ReadFile(data / kIdeaTableName), ideaBytes);
  EXPECT_FALSE(window->Group_()->ChangesPending());

  // Both changed: both written, the user table never.
  data.Mark(kGroupTableName);
  window->Group_()->Edit();
  window->Group_CATEGORY()->SetAsString("Zebras");
  window->Group_()->Post();
  window->BlogI_()->Last();
  window->BlogI_()->Delete();
  const int ideas = window->BlogI_()->RecordCount();
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(data.Written(kGroupTableName));
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kUserTableName));
  EXPECT_EQ(static_cast<int>(SubjectsOnDisk(data).size()), ideas);
}

// ---- Save after another program changed a file ----

// The question Save asks, written out here rather than taken from the window.
std::string OverwriteQuestion(const std::string& file) {
  return "The file " + file + " was changed by another program after it was opened. Overwrite it?";
}

// Another program (the command-line tool, a second copy of Notarra) adds a
// record to one of the folder's files behind the window's back.
void AddFromOutside(const DataFolder& data, const std::string& file, const std::string& field,
                    const std::string& value) {
  TVelaDatabase db;
  TVelaTable table;
  data.Open(file, db, table);
  table.Append();
  table.FieldByName(field)->SetAsString(value);
  table.Post();
  db.SaveDatasets({&table});
}

// One field of every record, read afresh from the file.
std::vector<std::string> ValuesOnDisk(const DataFolder& data, const std::string& file, const std::string& field) {
  TVelaDatabase db;
  TVelaTable table;
  data.Open(file, db, table);
  std::vector<std::string> values;
  for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName(field)->AsString());
  return values;
}

std::vector<std::string> ValuesInWindow(TVelaTable* table, const std::string& field) {
  std::vector<std::string> values;
  for (table->First(); !table->Eof(); table->Next()) values.push_back(table->FieldByName(field)->AsString());
  return values;
}

bool Holds(const std::vector<std::string>& values, const std::string& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// Changes the first idea's subject in the window and posts it.
void ChangeFirstIdea(TfrmBlog& window, const std::string& subject) {
  window.BlogI_()->First();
  window.BlogI_()->Edit();
  window.BlogI_Subject()->SetAsString(subject);
  window.BlogI_()->Post();
}

void ChangeFirstGroup(TfrmBlog& window, const std::string& category) {
  window.Group_()->First();
  window.Group_()->Edit();
  window.Group_CATEGORY()->SetAsString(category);
  window.Group_()->Post();
}

TEST_F(MainWindowTest, SaveAfterAnOutsideChangeAsksCancelWritesNothingOkOverwrites) {
  ChangeFirstIdea(*window, "Ours");
  AddFromOutside(data, kIdeaTableName, "Subject", "Added by the tool");
  const std::string outside = ReadFile(data / kIdeaTableName);
  data.Mark(kIdeaTableName);

  messages->answer = false;
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions, std::vector<std::string>{OverwriteQuestion("Blog_Ideas.d")});
  EXPECT_TRUE(messages->errors.empty());
  // Nothing written; the change is still in the window, waiting.
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_EQ(ReadFile(data / kIdeaTableName), outside);
  EXPECT_TRUE(window->BlogI_()->ChangesPending());
  EXPECT_TRUE(Holds(ValuesInWindow(window->BlogI_(), "Subject"), "Ours"));

  // Asked again at the next Save; OK overwrites the other program's version.
  messages->answer = true;
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions.size(), 2u);
  EXPECT_EQ(messages->questions.back(), OverwriteQuestion("Blog_Ideas.d"));
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(window->BlogI_()->ChangesPending());
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_TRUE(Holds(subjects, "Ours"));
  EXPECT_FALSE(Holds(subjects, "Added by the tool"));

  // The file on disk is now the window's own: the next Save does not ask.
  data.Mark(kIdeaTableName);
  ChangeFirstIdea(*window, "Ours again");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions.size(), 2u);
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_TRUE(Holds(SubjectsOnDisk(data), "Ours again"));
}

TEST_F(MainWindowTest, SaveOfFilesNobodyElseChangedAsksNothing) {
  ChangeFirstIdea(*window, "First save");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  // Its own write is not someone else's: the second save asks nothing either.
  data.Mark(kIdeaTableName);
  ChangeFirstIdea(*window, "Second save");
  ChangeFirstGroup(*window, "Second group");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_TRUE(data.Written(kGroupTableName));
  EXPECT_TRUE(messages->questions.empty());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_TRUE(Holds(SubjectsOnDisk(data), "Second save"));
  EXPECT_TRUE(Holds(ValuesOnDisk(data, kGroupTableName, "CATEGORY"), "Second group"));
}

TEST_F(MainWindowTest, AFileDeletedFromOutsideIsWrittenAgainWithoutAQuestion) {
  // Nothing of another program's is on disk to lose: Save just writes.
  ChangeFirstIdea(*window, "Written into the empty place");
  fs::remove(data / kIdeaTableName);
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->questions.empty());
  EXPECT_TRUE(messages->errors.empty());
  ASSERT_TRUE(fs::exists(data / kIdeaTableName));
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_EQ(static_cast<int>(subjects.size()), window->BlogI_()->RecordCount());
  EXPECT_TRUE(Holds(subjects, "Written into the empty place"));
}

TEST_F(MainWindowTest, TheGroupFileIsGuardedToo) {
  ChangeFirstGroup(*window, "Ours");
  AddFromOutside(data, kGroupTableName, "CATEGORY", "Outside");
  const std::string outside = ReadFile(data / kGroupTableName);
  data.Mark(kGroupTableName);

  messages->answer = false;
  window->Save1()->trigger();
  EXPECT_EQ(messages->questions, std::vector<std::string>{OverwriteQuestion("group.d")});
  EXPECT_EQ(ReadFile(data / kGroupTableName), outside);
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_TRUE(window->Group_()->ChangesPending());

  messages->answer = true;
  window->Save1()->trigger();
  EXPECT_EQ(messages->questions.size(), 2u);
  EXPECT_TRUE(data.Written(kGroupTableName));
  const auto categories = ValuesOnDisk(data, kGroupTableName, "CATEGORY");
  EXPECT_TRUE(Holds(categories, "Ours"));
  EXPECT_FALSE(Holds(categories, "Outside"));
  EXPECT_FALSE(window->Group_()->ChangesPending());
}

TEST_F(MainWindowTest, CancelForEitherTableStopsTheWholeSave) {
  ChangeFirstIdea(*window, "Our idea");
  ChangeFirstGroup(*window, "Our group");
  AddFromOutside(data, kIdeaTableName, "Subject", "Their idea");
  AddFromOutside(data, kGroupTableName, "CATEGORY", "Their group");
  const std::string theirIdeas = ReadFile(data / kIdeaTableName);
  const std::string theirGroups = ReadFile(data / kGroupTableName);

  // Cancel for the ideas: the group table is not even asked about.
  messages->answers = {false};
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions, std::vector<std::string>{OverwriteQuestion("Blog_Ideas.d")});
  EXPECT_EQ(ReadFile(data / kIdeaTableName), theirIdeas);
  EXPECT_EQ(ReadFile(data / kGroupTableName), theirGroups);

  // OK for the ideas, Cancel for the groups: both are asked before either is
  // written, so the ideas are not written alone.
  messages->questions.clear();
  messages->answers = {true, false};
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions,
            (std::vector<std::string>{OverwriteQuestion("Blog_Ideas.d"), OverwriteQuestion("group.d")}));
  EXPECT_EQ(ReadFile(data / kIdeaTableName), theirIdeas);
  EXPECT_EQ(ReadFile(data / kGroupTableName), theirGroups);
  EXPECT_TRUE(window->BlogI_()->ChangesPending());
  EXPECT_TRUE(window->Group_()->ChangesPending());
  EXPECT_TRUE(Holds(ValuesInWindow(window->Group_(), "CATEGORY"), "Our group"));
  EXPECT_TRUE(messages->errors.empty());

  // OK for both: both written.
  messages->questions.clear();
  messages->answers = {true, true};
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions.size(), 2u);
  EXPECT_TRUE(Holds(SubjectsOnDisk(data), "Our idea"));
  EXPECT_TRUE(Holds(ValuesOnDisk(data, kGroupTableName, "CATEGORY"), "Our group"));
  EXPECT_FALSE(window->BlogI_()->ChangesPending());
  EXPECT_FALSE(window->Group_()->ChangesPending());
}

TEST_F(MainWindowTest, OnlyTheFileChangedOutsideIsAskedAbout) {
  ChangeFirstIdea(*window, "Our idea");
  ChangeFirstGroup(*window, "Our group");
  AddFromOutside(data, kGroupTableName, "CATEGORY", "Their group");
  data.Mark(kGroupTableName);
  messages->answer = false;
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(messages->questions, std::vector<std::string>{OverwriteQuestion("group.d")});
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_FALSE(data.Written(kGroupTableName));
}

TEST_F(MainWindowTest, WithoutAnyoneToAskAnOutsideChangeIsKept) {
  ChangeFirstIdea(*window, "Ours");
  AddFromOutside(data, kIdeaTableName, "Subject", "Added by the tool");
  data.Mark(kIdeaTableName);
  // The default service, as without a window system: it answers Cancel.
  TMessageService* recorder = SetMessageService(nullptr);
  ClickToolButton(*window, window->SaveButton());
  SetMessageService(recorder);
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_TRUE(window->BlogI_()->ChangesPending());
}

TEST_F(MainWindowTest, TheQuestionIsAMessageBoxAnsweredWithTheMouse) {
  ChangeFirstIdea(*window, "Ours");
  AddFromOutside(data, kIdeaTableName, "Subject", "Added by the tool");
  data.Mark(kIdeaTableName);
  TQtMessageService qt;
  TMessageService* recorder = SetMessageService(&qt);
  QString text;
  bool offersOkAndCancel = false;
  auto answerWith = [&](QMessageBox::StandardButton button) {
    WhenModal<QMessageBox>([&text, &offersOkAndCancel, button](QMessageBox* box) {
      text = box->text();
      offersOkAndCancel = box->button(QMessageBox::Ok) && box->button(QMessageBox::Cancel);
      QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
  };

  // Ctrl+S, then the Cancel button.
  answerWith(QMessageBox::Cancel);
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(text.toStdString(), OverwriteQuestion("Blog_Ideas.d"));
  EXPECT_TRUE(offersOkAndCancel);
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_TRUE(window->BlogI_()->ChangesPending());

  // The tool button, then OK.
  text.clear();
  answerWith(QMessageBox::Ok);
  ClickToolButton(*window, window->SaveButton());
  SetMessageService(recorder);
  EXPECT_EQ(text.toStdString(), OverwriteQuestion("Blog_Ideas.d"));
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_FALSE(window->BlogI_()->ChangesPending());
  EXPECT_TRUE(messages->errors.empty());
}

TEST_F(MainWindowTest, HelpMenuHandsTheHelpFileAndTopic30) {
  window->Help2()->trigger();
  EXPECT_EQ(TApplication::Instance()->HelpFile(), "notarra.chm");
  THelpWindow* help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->source(), THelpWindow::PageForContext(30));
  EXPECT_NE(THelpWindow::PageForContext(30), THelpWindow::PageForContext(1));
  help->close();
}

TEST_F(MainWindowTest, AboutShowsTheLicenceBoxModally) {
  QString title;
  bool modal = false;
  // The box runs its own loop: look at it from there and press OK.
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<TAboutBox1*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    modal = box->isModal();
    QTest::keyClick(box, Qt::Key_Return);
  });
  window->Liscence1()->trigger();
  EXPECT_EQ(title, "License & Warranty");
  EXPECT_TRUE(modal);
  // The box is gone afterwards.
  EXPECT_EQ(window->findChild<TAboutBox1*>(), nullptr);
}

TEST(MainWindowStart, DataFolderWithAnAccentedName) {
  DataFolder data(0, "-Ideen f\xC3\xBCr sp\xC3\xA4ter");
  apptest::TMessageRecorder messages;
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(data.dir.Path().string())));
  auto window = std::make_unique<TfrmBlog>();
  QDir::setCurrent(before);
  EXPECT_TRUE(messages->errors.empty()) << messages->errors[0];
  EXPECT_TRUE(window->Group_()->Active());
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("Saved under an accented folder");
  window->BlogI_()->Post();
  window->Save1()->trigger();
  EXPECT_TRUE(messages->errors.empty());
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_NE(std::find(subjects.begin(), subjects.end(), "Saved under an accented folder"), subjects.end());
}

// Watches the progress window: the percentages and texts it painted.
class ProgressWatch : public QObject {
public:
  ProgressWatch() { qApp->installEventFilter(this); }
  ~ProgressWatch() override { qApp->removeEventFilter(this); }
  std::vector<int> percents;
  QStringList texts;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::Paint || !widget || !qobject_cast<TProgressDialog*>(widget->window()))
      return false;
    if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
      if (percents.empty() || percents.back() != bar->value()) percents.push_back(bar->value());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (texts.isEmpty() || texts.back() != label->text()) texts << label->text();
    }
    return false;
  }
};

class DelayOfProgress {
public:
  explicit DelayOfProgress(std::chrono::milliseconds delay) : before_(TProgressDialog::DefaultShowDelay()) {
    TProgressDialog::SetDefaultShowDelay(delay);
  }
  ~DelayOfProgress() { TProgressDialog::SetDefaultShowDelay(before_); }

private:
  std::chrono::milliseconds before_;
};

TEST(MainWindowProgress, LongLoadsAndSavesShowTheTablesPercentages) {
  DataFolder data(3000);
  DelayOfProgress noDelay(std::chrono::milliseconds(0));
  apptest::TMessageRecorder messages;
  ProgressWatch watch;
  auto window = OpenWindow(data);
  ASSERT_TRUE(messages->errors.empty());
  EXPECT_FALSE(window->ProgressDialog1()->isVisible());
  EXPECT_TRUE(watch.texts.contains("Opening Blog_Ideas.d..."));
  ASSERT_GT(watch.percents.size(), 10u);
  // Three opens, one after the other, each counting up.
  int restarts = 0;
  for (std::size_t i = 1; i < watch.percents.size(); ++i) restarts += watch.percents[i] < watch.percents[i - 1];
  EXPECT_LE(restarts, 2);
  EXPECT_EQ(watch.percents.back(), 100);

  ASSERT_TRUE(apptest::ShowActive(window.get()));
  watch.percents.clear();
  watch.texts.clear();
  window->BlogI_()->Edit();
  window->BlogI_Subject()->SetAsString("Changed");
  window->BlogI_()->Post();
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_TRUE(data.Written(kIdeaTableName));
  EXPECT_TRUE(watch.texts.contains("Saving Blog_Ideas.d..."));
  EXPECT_GT(watch.percents.size(), 10u);
  EXPECT_FALSE(window->ProgressDialog1()->isVisible());
  EXPECT_FALSE(window->ProgressDialog1()->Running());
}

TEST(MainWindowProgress, QuickLoadsShowNoProgress) {
  DataFolder data;
  DelayOfProgress longDelay(std::chrono::seconds(30));
  ProgressWatch watch;
  auto window = OpenWindow(data);
  EXPECT_TRUE(watch.percents.empty());
  EXPECT_TRUE(watch.texts.isEmpty());
}

TEST(MainWindowProgress, AFailedOpenTakesTheProgressAway) {
  DataFolder data(500);
  // A file cut short: the open fails part-way.
  const std::string bytes = ReadFile(data / kIdeaTableName);
  apptest::WriteFile(data / kIdeaTableName, bytes.substr(0, bytes.size() / 2));
  DelayOfProgress noDelay(std::chrono::milliseconds(0));
  apptest::TMessageRecorder messages;
  auto window = OpenWindow(data);
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_EQ(messages->errors[0].rfind("BlogI_: Error opening table: ", 0), 0u) << messages->errors[0];
  EXPECT_FALSE(window->BlogI_()->Active());
  EXPECT_FALSE(window->ProgressDialog1()->isVisible());
  EXPECT_FALSE(window->ProgressDialog1()->Running());
}

// ---- The Item page's data controls and the navigator ----

// The stored texts of one idea, by field name, read afresh from the file.
TEST_F(MainWindowTest, NavigatorDeleteAsksAndOnlyOkDeletes) {
  window->BlogI_()->First();
  const int count = window->BlogI_()->RecordCount();
  const int key = window->BlogI_Key()->AsInteger();
  QToolButton* del = window->DBNavigator1()->Button(nbDelete);
  ASSERT_TRUE(del->isVisible());
  ASSERT_TRUE(del->isEnabled());

  messages->answer = false;
  QTest::mouseClick(del, Qt::LeftButton);
  ASSERT_EQ(messages->questions, std::vector<std::string>{"Delete record?"});
  EXPECT_EQ(window->BlogI_()->RecordCount(), count);
  EXPECT_EQ(window->BlogI_Key()->AsInteger(), key);

  messages->answer = true;
  QTest::mouseClick(del, Qt::LeftButton);
  EXPECT_EQ(messages->questions.size(), 2u);
  EXPECT_EQ(window->BlogI_()->RecordCount(), count - 1);
  EXPECT_NE(window->BlogI_Key()->AsInteger(), key);
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(SubjectsOnDisk(data).size(), static_cast<std::size_t>(count - 1));
  EXPECT_TRUE(IdeaOnDisk(data, key).empty());
}

TEST_F(MainWindowTest, NavigatorHasSixButtonsThatFollowTheIdeas) {
  TDBNavigator* nav = window->DBNavigator1();
  EXPECT_EQ(nav->size(), QSize(228, 22));
  const char* hints[] = {"First record", "Prior record", "Next record", "Last record", "Insert record", "Delete record"};
  for (int i = 0; i < TDBNavigator::kButtonCount; ++i) {
    QToolButton* b = nav->Button(static_cast<TNavigateBtn>(i));
    EXPECT_EQ(b->isVisible(), i <= nbDelete) << i;
    if (i <= nbDelete) {
      EXPECT_EQ(b->toolTip().toStdString(), hints[i]);
    }
  }
  window->BlogI_()->First();
  EXPECT_FALSE(nav->Button(nbPrior)->isEnabled());
  QTest::mouseClick(nav->Button(nbNext), Qt::LeftButton);
  EXPECT_EQ(window->BlogI_()->RecNo(), 2);
  EXPECT_TRUE(nav->Button(nbFirst)->isEnabled());
  QTest::mouseClick(nav->Button(nbLast), Qt::LeftButton);
  EXPECT_EQ(window->BlogI_()->RecNo(), window->BlogI_()->RecordCount());
  EXPECT_FALSE(nav->Button(nbNext)->isEnabled());

  // On the Item page the new idea's subject gets the focus.
  ClickTab(*window, 1);
  QTest::mouseClick(nav->Button(nbInsert), Qt::LeftButton);
  EXPECT_EQ(window->BlogI_()->State(), dsInsert);
  EXPECT_TRUE(window->DBEsubject()->hasFocus());
  QTest::keyClicks(window->DBEsubject(), "Inserted idea");
  ClickToolButton(*window, window->SaveButton());
  const auto subjects = SubjectsOnDisk(data);
  EXPECT_NE(std::find(subjects.begin(), subjects.end(), "Inserted idea"), subjects.end());
}

TEST_F(MainWindowTest, ItemPageEditsWithKeysAndSaveWritesThem) {
  ClickTab(*window, 1);
  window->BlogI_()->First();
  const int key = window->BlogI_Key()->AsInteger();
  const auto before = IdeaOnDisk(data, key);
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(window->DBEsubject()->Text(), before.at("Subject"));
  EXPECT_EQ(window->DBEkey()->Text(), std::to_string(key));
  EXPECT_TRUE(window->DBEkey()->isReadOnly());

  TypeOver(window->DBEsubject(), "Typed subject");
  EXPECT_EQ(window->BlogI_()->State(), dsEdit);
  // Tab goes on in the page's order.
  QTest::keyClick(window->DBEsubject(), Qt::Key_Tab);
  ASSERT_TRUE(window->VelaDBEdit1()->hasFocus());
  QTest::keyClick(window->VelaDBEdit1(), Qt::Key_Tab);
  ASSERT_TRUE(window->DBEtitle()->hasFocus());
  QTest::keyClick(window->DBEtitle(), Qt::Key_End);
  QTest::keyClicks(window->DBEtitle(), " (revised)");
  QTest::keyClick(window->DBEtitle(), Qt::Key_Tab);
  ASSERT_TRUE(window->DBEkeyword()->hasFocus());
  TypeOver(window->DBEdit1(), "Everyone");
  TypeOver(window->DBEkey(), "999");  // read-only: nothing changes
  EXPECT_EQ(window->DBEkey()->Text(), std::to_string(key));
  const bool flag = window->BlogI_Flag()->AsBoolean();
  window->DBCheckBox1()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(window->DBCheckBox1(), Qt::Key_Space);

  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(window->BlogI_()->State(), dsBrowse);
  const auto after = IdeaOnDisk(data, key);
  EXPECT_EQ(after.at("Subject"), "Typed subject");
  EXPECT_EQ(after.at("Title"), before.at("Title") + " (revised)");
  EXPECT_EQ(after.at("UserField1"), "Everyone");
  EXPECT_EQ(after.at("Keywords"), before.at("Keywords"));
  EXPECT_EQ(after.at("Flag"), flag ? "False" : "True");
}

TEST_F(MainWindowTest, ItemPageEscapeAndTooLongTextsLoseNothing) {
  ClickTab(*window, 1);
  window->BlogI_()->First();
  const int key = window->BlogI_Key()->AsInteger();
  const auto before = IdeaOnDisk(data, key);
  TypeOver(window->DBEsubject(), "Thrown away");
  QTest::keyClick(window->DBEsubject(), Qt::Key_Escape);
  EXPECT_EQ(window->DBEsubject()->Text(), before.at("Subject"));
  // UserField2 holds 20 characters; the edit takes no more.
  TypeOver(window->DBEdit2(), "abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(window->DBEdit2()->Text(), "abcdefghijklmnopqrst");
  ClickToolButton(*window, window->SaveButton());
  const auto after = IdeaOnDisk(data, key);
  EXPECT_EQ(after.at("Subject"), before.at("Subject"));
  EXPECT_EQ(after.at("UserField2"), "abcdefghijklmnopqrst");
  EXPECT_TRUE(messages->errors.empty());
}

TEST_F(MainWindowTest, ItemPageNotesAreTheStoredText) {
  ClickTab(*window, 1);
  window->BlogI_()->First();
  const int key = window->BlogI_Key()->AsInteger();
  const auto before = IdeaOnDisk(data, key);
  EXPECT_TRUE(window->DBnotes()->MemoLoaded());
  EXPECT_EQ(window->DBnotes()->Text(), before.at("Notes"));
  window->DBnotes()->setFocus(Qt::TabFocusReason);
  window->DBnotes()->moveCursor(QTextCursor::End);
  QTest::keyClicks(window->DBnotes(), "Added");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Notes"), before.at("Notes") + "Added");
}

TEST_F(MainWindowTest, ItemPageGroupEditSearchesTheGroupsAndWritesTheChosenOne) {
  ClickTab(*window, 1);
  TVelaTable* ideas = window->BlogI_();
  for (ideas->First(); !ideas->Eof() && window->BlogI_Group()->AsString().empty();) ideas->Next();
  ASSERT_FALSE(ideas->Eof()) << "the sample ideas have one with a group";
  const int key = window->BlogI_Key()->AsInteger();
  TVelaDBEdit* group = window->VelaDBEdit1();
  EXPECT_EQ(group->Text(), window->BlogI_Group()->AsString());
  EXPECT_EQ(group->DialogStyle(), vdsLookup);
  EXPECT_EQ(group->Style(), vcsDropDownList);

  group->setFocus(Qt::TabFocusReason);
  // A letter opens the list and searches it.
  QTest::keyClick(group, 'f');
  ASSERT_TRUE(group->LookupList() != nullptr && group->LookupList()->isVisible());
  EXPECT_EQ(group->LookupList()->SelectedItem(), "Finance");
  QTest::keyClicks(group, "it");
  EXPECT_EQ(group->LookupList()->SelectedItem(), "Fitness");
  QTest::keyClick(group, Qt::Key_Return);
  EXPECT_FALSE(group->LookupList()->isVisible());
  EXPECT_EQ(window->BlogI_Group()->AsString(), "Fitness");
  EXPECT_EQ(group->Text(), "Fitness");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Group"), "Fitness");

  // Escape in the open list changes nothing.
  QTest::keyClick(group, Qt::Key_Down, Qt::AltModifier);
  QTest::keyClick(group, 't');
  QTest::keyClick(group, Qt::Key_Escape);
  EXPECT_EQ(window->BlogI_Group()->AsString(), "Fitness");
  EXPECT_EQ(window->BlogI_()->State(), dsBrowse);

  // A group the group table no longer has shows as empty text.
  window->BlogI_()->Edit();
  window->BlogI_Group()->SetAsString("Retired");
  EXPECT_EQ(group->Text(), "");
  window->BlogI_()->Cancel();
  EXPECT_EQ(group->Text(), "Fitness");
}

TEST_F(MainWindowTest, ItemPagePubDateEditOpensOnTodayWhenEmptyAndWritesThePickedDate) {
  ClickTab(*window, 1);
  TVelaTable* ideas = window->BlogI_();
  for (ideas->First(); !ideas->Eof() && !window->BlogI_PubDate()->IsNull();) ideas->Next();
  ASSERT_FALSE(ideas->Eof()) << "the sample ideas have one without a date";
  const int key = window->BlogI_Key()->AsInteger();
  TVelaDBEdit* pubDate = window->VelaDBEdit2();
  EXPECT_EQ(pubDate->Text(), "");
  pubDate->setFocus(Qt::TabFocusReason);
  QTest::keyClick(pubDate, Qt::Key_Down, Qt::AltModifier);
  TVelaDlgCalendar* calendar = pubDate->Calendar();
  ASSERT_TRUE(calendar != nullptr && calendar->isVisible());
  EXPECT_EQ(calendar->Date(), Date());
  QTest::keyClick(pubDate, Qt::Key_Escape);
  EXPECT_TRUE(window->BlogI_PubDate()->IsNull());

  QTest::keyClick(pubDate, Qt::Key_Down, Qt::AltModifier);
  calendar->SetDate(EncodeDate(2024, 2, 10));
  QToolButton* twelve = nullptr;
  for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n)
    if (calendar->DayButton(n)->text() == "12") twelve = calendar->DayButton(n);
  ASSERT_NE(twelve, nullptr);
  QTest::mouseClick(twelve, Qt::LeftButton);
  EXPECT_FALSE(calendar->isVisible());
  EXPECT_EQ(window->BlogI_PubDate()->AsDateTime(), EncodeDate(2024, 2, 12));
  ClickToolButton(*window, window->SaveButton());
  EXPECT_TRUE(messages->errors.empty()) << messages->errors.front();
  EXPECT_EQ(IdeaOnDisk(data, key).at("PubDate"), DateToStr(EncodeDate(2024, 2, 12)));
}

TEST(MainWindowProgress, TypingGoesOnInTheEditAfterALongSave) {
  DataFolder data(3000);
  DelayOfProgress noDelay(std::chrono::milliseconds(0));
  apptest::TMessageRecorder messages;
  auto window = OpenWindow(data);
  ASSERT_TRUE(apptest::ShowActive(window.get()));
  // The widgets learn of the activation a moment after the window system.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }));
  ClickTab(*window, 1);
  window->BlogI_()->First();
  const int key = window->BlogI_Key()->AsInteger();
  TypeOver(window->DBEsubject(), "Typed");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Subject"), "Typed");
  // The progress window took the activation while it was up.
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }));
  ASSERT_TRUE(window->DBEsubject()->hasFocus());
  QTest::keyClicks(QApplication::focusWidget(), " more");
  ClickToolButton(*window, window->SaveButton());
  EXPECT_EQ(IdeaOnDisk(data, key).at("Subject"), "Typed more");
  EXPECT_TRUE(messages->errors.empty());
}

// ---- Data folders as documents ----

std::vector<std::string> SubjectsShown(TfrmBlog& window) { return ValuesInWindow(window.BlogI_(), "Subject"); }

TEST_F(MainWindowTest, OpenFileOpensAnotherFolderAndItIsRemembered) {
  DataFolder other(25);
  const QString otherPath = QString::fromStdString(other.dir.Path().string());
  window->OnChooseFolder = [&](const QString& title) {
    EXPECT_EQ(title, "Open Data Folder");
    return otherPath;
  };
  ClickToolButton(*window, window->OpenButton());
  EXPECT_EQ(window->DataFolder(), otherPath);
  EXPECT_EQ(window->BlogI_()->RecordCount(), 25);
  std::vector<std::string> shown = SubjectsShown(*window), onDisk = SubjectsOnDisk(other);
  std::sort(shown.begin(), shown.end());
  std::sort(onDisk.begin(), onDisk.end());
  EXPECT_EQ(shown, onDisk);
  EXPECT_EQ(RecentDataFolders().value(0), otherPath);

  // The Recent Folders menu opens the first folder again.
  const QString first = QString::fromStdString(data.dir.Path().string());
  RememberDataFolder(first);
  QMenu* recent = window->RecentFoldersMenu();
  emit recent->aboutToShow();
  ASSERT_GE(recent->actions().size(), 2);
  EXPECT_TRUE(recent->actions()[0]->text().endsWith(first));
  recent->actions()[0]->trigger();
  EXPECT_EQ(window->DataFolder(), first);
  EXPECT_EQ(SubjectsShown(*window).size(), SubjectsOnDisk(data).size());
  EXPECT_TRUE(messages->errors.empty());
}

TEST_F(MainWindowTest, AFolderWithoutTheTablesIsNamedAndTheOpenOneStays) {
  const std::vector<std::string> before = SubjectsShown(*window);
  TempDir empty;
  const QString emptyPath = QString::fromStdString(empty.Path().string());
  // The question offers another folder: No keeps the one that is open.
  messages->answer = false;
  EXPECT_FALSE(window->OpenDataFolder(emptyPath));
  ASSERT_EQ(messages->questions.size(), 1u);
  EXPECT_EQ(messages->questions[0], "Notarra cannot open the folder " + empty.Path().string() +
                                        ": it does not hold Blog_Ideas.d, group.d, User.d. Choose another folder?");
  EXPECT_EQ(window->DataFolder().toStdString(), data.dir.Path().string());
  EXPECT_EQ(SubjectsShown(*window), before);
  EXPECT_TRUE(QDir(emptyPath).isEmpty());  // nothing made there unasked

  // A damaged table: the same, and Yes chooses another folder, which opens.
  DataFolder damaged, good(3);
  { std::ofstream(damaged / kIdeaTableName, std::ios::binary | std::ios::trunc) << "not a table"; }
  messages->answer = true;
  window->OnChooseFolder = [&](const QString&) { return QString::fromStdString(good.dir.Path().string()); };
  EXPECT_TRUE(window->OpenDataFolder(QString::fromStdString(damaged.dir.Path().string())));
  ASSERT_EQ(messages->questions.size(), 2u);
  EXPECT_NE(messages->questions[1].find("Buffer structure corruption"), std::string::npos) << messages->questions[1];
  EXPECT_EQ(window->BlogI_()->RecordCount(), 3);
}

TEST_F(MainWindowTest, OpeningAnotherFolderAsksAboutUnsavedChangesFirst) {
  DataFolder other(5);
  ChangeFirstIdea(*window, "Not saved yet");
  // Cancel in the quit question: nothing changes.
  WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Cancel)->click(); });
  EXPECT_FALSE(window->OpenDataFolder(QString::fromStdString(other.dir.Path().string())));
  EXPECT_TRUE(window->BlogI_()->ChangesPending());
  EXPECT_TRUE(Holds(SubjectsShown(*window), "Not saved yet"));
  // Save: written, then the other folder opens.
  WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Save)->click(); });
  EXPECT_TRUE(window->OpenDataFolder(QString::fromStdString(other.dir.Path().string())));
  EXPECT_TRUE(Holds(SubjectsOnDisk(data), "Not saved yet"));
  EXPECT_EQ(window->BlogI_()->RecordCount(), 5);
}

TEST_F(MainWindowTest, NewFileMakesAnEmptyDataFolderButNeverOverwrites) {
  TempDir parent;
  const QString fresh = QString::fromStdString((parent.Path() / "ideas").string());
  window->OnChooseFolder = [&](const QString& title) {
    EXPECT_EQ(title, "New Data Folder");
    return fresh;
  };
  ClickToolButton(*window, window->NewButton());
  EXPECT_EQ(window->DataFolder(), fresh);
  EXPECT_EQ(window->BlogI_()->RecordCount(), 0);
  EXPECT_TRUE(HoldsTables(fresh));
  // The first folder holds tables: refused, nothing written.
  const QString first = QString::fromStdString(data.dir.Path().string());
  EXPECT_FALSE(window->NewDataFolder(first));
  ASSERT_EQ(messages->errors.size(), 1u);
  EXPECT_EQ(messages->errors[0], "The folder " + data.dir.Path().string() +
                                     " already holds Blog_Ideas.d; File > Open File opens it.");
  EXPECT_FALSE(data.Written(kIdeaTableName));
  EXPECT_EQ(window->DataFolder(), fresh);
}

}  // namespace
