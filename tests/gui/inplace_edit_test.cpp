#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "gui/inplace_edit.h"
#include "gui/string_grid.h"
#include "gui_test_support.h"

using namespace notarra;

namespace {

// A string grid whose editing answers a test can steer.
class EditGrid : public TStringGrid {
public:
  bool modifiable = true;
  bool digitsOnly = false;
  std::string mask;
  int limit = 0;
  int setEditTextCalls = 0;

protected:
  void SetEditText(int col, int row, const std::string& value) override {
    ++setEditTextCalls;
    TStringGrid::SetEditText(col, row, value);
  }
  std::string GetEditMask(int, int) override { return mask; }
  int GetEditLimit() override { return limit; }
  bool CanEditModify() override { return modifiable; }
  bool CanEditAcceptKey(char key) override { return !digitsOnly || (key >= '0' && key <= '9'); }
};

class InplaceEditTest : public testing::Test {
protected:
  void SetUp() override {
    grid = std::make_unique<EditGrid>();
    grid->resize(400, 300);
    grid->SetColCount(4);
    grid->SetRowCount(10);
    TGridOptions options = grid->Options();
    grid->SetOptions(options.Include(goEditing));
    grid->SetCells(1, 1, "apple");
    grid->SetCells(2, 1, "pear");
    ASSERT_TRUE(ShowActive(grid.get()));
    grid->setFocus();
  }
  TInplaceEdit* Editor() const { return grid->InplaceEditor(); }
  bool EditorShowing() const { return Editor() && Editor()->isVisible(); }

  std::unique_ptr<EditGrid> grid;
};

}  // namespace

TEST_F(InplaceEditTest, F2OpensTheEditorOverTheCurrentCell) {
  EXPECT_FALSE(grid->EditorMode());
  QTest::keyClick(grid.get(), Qt::Key_F2);
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_TRUE(EditorShowing());
  EXPECT_EQ(Editor()->text(), "apple");
  EXPECT_EQ(Editor()->geometry(), grid->CellRect(1, 1));
  EXPECT_TRUE(Editor()->hasFocus());
  grid->grab().save(QString::fromStdString(TestOutputPath("grid_editing.png")));
}

TEST_F(InplaceEditTest, AltGrCharactersOpenTheEditorButCtrlShortcutsDoNot) {
  QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_FALSE(grid->EditorMode());
  // AltGr+Q types "@" on many keyboards and reaches the program as Ctrl+Alt.
  QKeyEvent altGr(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, "@");
  QApplication::sendEvent(grid.get(), &altGr);
  ASSERT_TRUE(EditorShowing());
  EXPECT_EQ(Editor()->text(), "@");
}

TEST_F(InplaceEditTest, TypingReplacesTheTextAndEnterKeepsIt) {
  QTest::keyClicks(grid.get(), "Fig");
  ASSERT_TRUE(EditorShowing());
  EXPECT_EQ(Editor()->text(), "Fig");
  EXPECT_EQ(grid->Cells(1, 1), "Fig") << "every change goes through SetEditText";
  QTest::keyClick(Editor(), Qt::Key_Return);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_FALSE(EditorShowing());
  EXPECT_TRUE(grid->hasFocus());
  EXPECT_EQ(grid->Cells(1, 1), "Fig");
}

TEST_F(InplaceEditTest, EscapeRestoresTheCellText) {
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(Editor(), Qt::Key_End);
  QTest::keyClicks(Editor(), "sauce");
  EXPECT_EQ(grid->Cells(1, 1), "applesauce");
  QTest::keyClick(Editor(), Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(1, 1), "apple");
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(InplaceEditTest, MovingToAnotherCellClosesTheEditor) {
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(Editor(), Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_FALSE(grid->EditorMode());
  // Left at the start of the text leaves the cell too.
  grid->SetRow(1);
  grid->SetCol(2);
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(Editor(), Qt::Key_Home);
  QTest::keyClick(Editor(), Qt::Key_Left);
  EXPECT_EQ(grid->Col(), 1);
}

TEST_F(InplaceEditTest, TabInTheEditorMovesToTheNextCellWithGoTabs) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goTabs));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(InplaceEditTest, AlwaysShowEditorFollowsTheCurrentCell) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goAlwaysShowEditor));
  ASSERT_TRUE(EditorShowing());
  QTest::keyClick(Editor(), Qt::Key_Right);  // ends the select-all, the caret at the end
  EXPECT_EQ(grid->Col(), 1);
  QTest::keyClick(Editor(), Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 2);
  ASSERT_TRUE(EditorShowing());
  EXPECT_EQ(Editor()->text(), "pear");
  EXPECT_EQ(Editor()->geometry(), grid->CellRect(2, 1));
}

TEST_F(InplaceEditTest, ClickingTheCurrentCellOpensTheEditor) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 1).center());
  EXPECT_FALSE(grid->EditorMode());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 1).center());
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(Editor()->text(), "pear");
}

TEST_F(InplaceEditTest, GridRefusesKeysItCannotTake) {
  grid->digitsOnly = true;
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(Editor(), Qt::Key_End);
  QTest::keyClicks(Editor(), "x7y8");
  EXPECT_EQ(grid->Cells(1, 1), "apple78");

  grid->modifiable = false;
  const int calls = grid->setEditTextCalls;
  QTest::keyClicks(Editor(), "9");
  QTest::keyClick(Editor(), Qt::Key_Backspace);
  EXPECT_EQ(Editor()->text(), "apple78");
  EXPECT_EQ(grid->setEditTextCalls, calls);
}

TEST_F(InplaceEditTest, NoEditorWithoutGoEditingOrWithRowSelect) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Exclude(goEditing));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClicks(grid.get(), "z");
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(grid->Cells(1, 1), "apple");
  grid->SetOptions(options.Include(goEditing).Include(goRowSelect));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  EXPECT_FALSE(grid->EditorMode());
}

TEST_F(InplaceEditTest, EditorTakesTheMaskAndLimitOfTheCell) {
  grid->limit = 3;
  QTest::keyClicks(grid.get(), "abcdef");
  EXPECT_EQ(grid->Cells(1, 1), "abc");
  QTest::keyClick(Editor(), Qt::Key_Return);

  grid->limit = 0;
  grid->mask = "00-00;0;_";
  grid->SetCol(2);
  QTest::keyClicks(grid.get(), "1x234");
  EXPECT_EQ(Editor()->text(), "12-34");
  EXPECT_EQ(grid->Cells(2, 1), "12-34");
}
