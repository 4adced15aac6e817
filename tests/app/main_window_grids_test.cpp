// The main window's grids: the List grid's columns, sorting by a title
// click, the double click to the Item page, the red text of recent ideas,
// the user-field captions in the titles, and the User page's grids.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app_test_support.h"
#include "controls/grid/db_grid.h"
#include "dataset/field_types.h"
#include "gui/db_edit.h"
#include "gui/inplace_edit.h"
#include "platform/date_time.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"
#include "tools/idea_schema.h"

using namespace notarra;

namespace {

class MainWindowGrids : public ::testing::Test {
protected:
  void SetUp() override {
    TVelaCursor ideas, groups, user;
    AddIdeaFields(ideas);
    AddSampleIdeas(ideas);
    AddGroupFields(groups);
    AddSampleGroups(groups);
    AddUserFields(user);
    AddSampleUser(user);
    ideas.SaveToFile(dir / kIdeaTableName, 0, false, "");
    groups.SaveToFile(dir / kGroupTableName, 0, false, "");
    user.SaveToFile(dir / kUserTableName, 0, false, "");
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path().string()));
    window = std::make_unique<TfrmBlog>();
    QDir::setCurrent(before);
    ASSERT_TRUE(apptest::ShowActive(window.get()));
  }

  void ClickTab(int index) {
    QTabBar* bar = window->PageControl1()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  // Whether the Subject cell of the grid's data row shows red text.
  static bool RedSubject(TVelaDBGrid* grid, int dataRow) {
    const QImage image = grid->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    const QRect cell = grid->CellRect(2, grid->TitleRows() + dataRow);
    for (int x = cell.left(); x < cell.right(); ++x)
      for (int y = cell.top(); y < cell.bottom(); ++y) {
        const QColor c = image.pixelColor(QPoint(int(x * dpr), int(y * dpr)));
        if (c.red() > 180 && c.green() < 90 && c.blue() < 90) return true;
      }
    return false;
  }
  // The data row of the idea with this subject, made current.
  int RowOf(const std::string& subject) {
    EXPECT_TRUE(window->BlogI_()->Locate("Subject", TVariant(subject), {}));
    return window->VelaDBGrid1()->DataLink()->ActiveRecord();
  }

  apptest::TempDir dir;
  apptest::TMessageRecorder messages;
  std::unique_ptr<TfrmBlog> window;
};

TEST_F(MainWindowGrids, ListGridHasItsTenColumns) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  const char* names[] = {"Flag", "Subject", "Group", "UserField1", "UserField2",
                         "Title", "Keywords", "Published", "PubDate", "Key"};
  ASSERT_EQ(grid->Columns().Count(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(grid->Columns()[i]->FieldName(), names[i]);
  EXPECT_EQ(grid->Columns()[0]->ButtonStyle(), cbsCheck);
  EXPECT_EQ(grid->Columns()[0]->ValueChecked(), "True");
  EXPECT_EQ(grid->Columns()[2]->ButtonStyle(), cbsLookup);
  EXPECT_EQ(grid->Columns()[2]->LookupDataSet(), window->Group_());
  EXPECT_TRUE(grid->Columns()[2]->AutoDropDown());
  EXPECT_EQ(grid->Columns()[8]->ButtonStyle(), cbsCalendar);
  for (int i : {1, 2, 3, 4, 6}) EXPECT_TRUE(grid->Columns()[i]->CanClick()) << i;
  for (int i : {0, 5, 7, 8, 9}) EXPECT_FALSE(grid->Columns()[i]->CanClick()) << i;
  // The captions of the user table's record are the user fields' titles.
  EXPECT_EQ(grid->Columns()[3]->Title()->Caption(), "Audience");
  EXPECT_EQ(grid->Columns()[4]->Title()->Caption(), "Word count");
  EXPECT_EQ(grid->DataCellText(1, 0), window->BlogI_Subject()->AsString());
  TVelaDBGrid* small = window->VelaDBGrid2();
  ASSERT_EQ(small->Columns().Count(), 5);
  EXPECT_EQ(small->Columns()[0]->ButtonStyle(), cbsCheck);
  EXPECT_EQ(small->Columns()[4]->FieldName(), "Keywords");
}

TEST_F(MainWindowGrids, SubjectTitleSortsAndTitleTitleDoesNot) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  EXPECT_EQ(window->BlogI_()->IndexFieldNames(), "Group;Subject");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 0).center());
  EXPECT_EQ(window->BlogI_()->IndexFieldNames(), "Subject");
  window->BlogI_()->First();
  EXPECT_EQ(window->BlogI_Subject()->AsString(), "A simple monthly budget");
  grid->SetLeftCol(6);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(6, 0).center());
  EXPECT_EQ(window->BlogI_()->IndexFieldNames(), "Subject");
}

TEST_F(MainWindowGrids, DoubleClickShowsTheIdeaOnTheItemPage) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  const std::string third = grid->DataCellText(1, 2);
  // A double click begins with a click (which moves to the row).
  const QPoint at = grid->CellRect(2, grid->TitleRows() + 2).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(window->PageControl1()->currentWidget(), window->TabSheet2());
  EXPECT_EQ(window->DBEsubject()->text().toStdString(), third);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->DBEsubject()->hasFocus(); }));
}

TEST_F(MainWindowGrids, IdeasPublishedAfter2000AreRedInBothGrids) {
  TVelaDBGrid* grid = window->VelaDBGrid1();
  // Published 2001-04-04, 1999-11-30, never.
  const int recent = RowOf("Composting in a small garden");
  EXPECT_TRUE(RedSubject(grid, recent));
  const int old = RowOf("Knife skills every cook needs");
  EXPECT_FALSE(RedSubject(grid, old));
  const int undated = RowOf("Batch cooking for the freezer");
  EXPECT_FALSE(RedSubject(grid, undated));
  ClickTab(1);
  TVelaDBGrid* small = window->VelaDBGrid2();
  RowOf("Composting in a small garden");
  EXPECT_TRUE(RedSubject(small, small->DataLink()->ActiveRecord()));
  RowOf("Knife skills every cook needs");
  EXPECT_FALSE(RedSubject(small, small->DataLink()->ActiveRecord()));
}

TEST_F(MainWindowGrids, UserFieldCaptionsAreEditedAfterADoubleClickOnly) {
  ClickTab(2);
  TVelaDBGrid* user = window->dbgUserfn();
  EXPECT_TRUE(user->ReadOnly());
  ASSERT_EQ(user->Columns().Count(), 3);
  const QPoint cell = user->CellRect(2, user->TitleRows()).center();
  QTest::mouseClick(user->viewport(), Qt::LeftButton, {}, cell);
  QTest::keyClicks(user, "X");
  EXPECT_EQ(window->Userdef_()->State(), dsBrowse);
  QTest::mouseDClick(user->viewport(), Qt::LeftButton, {}, cell);
  EXPECT_FALSE(user->ReadOnly());
  QTest::keyClick(user, Qt::Key_F2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), "Readers");
  // Leaving the grid posts the caption and makes the grid read-only again.
  window->dbgGroup()->setFocus();
  EXPECT_TRUE(QTest::qWaitFor([&] { return user->ReadOnly(); }));
  EXPECT_EQ(window->Userdef_Fldname1()->AsString(), "Readers");
  ClickTab(0);
  EXPECT_EQ(window->VelaDBGrid1()->Columns()[3]->Title()->Caption(), "Readers");
}

TEST_F(MainWindowGrids, GroupGridShowsItsVisibleFieldsOnly) {
  ClickTab(2);
  TVelaDBGrid* groups = window->dbgGroup();
  EXPECT_FALSE(groups->Columns().Persistent());
  for (int i = 0; i < groups->Columns().Count(); ++i) EXPECT_NE(groups->Columns()[i]->FieldName(), "SELECTED");
  EXPECT_EQ(groups->Columns()[0]->FieldName(), "CATEGORY");
  EXPECT_EQ(groups->DataLink()->RecordCount(), 8);
}

}  // namespace
