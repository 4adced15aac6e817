#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "gui/string_grid.h"
#include "gui_test_support.h"

using namespace notarra;

namespace {

// A string grid that records what the base tells it.
class RecordingGrid : public TStringGrid {
public:
  int drawCalls = 0;
  int maxRowDrawn = -1;
  int minScrollingRowDrawn = -1;
  int widthChanges = 0;
  int topLeftChanges = 0;
  std::vector<std::pair<int, int>> moves;
  TGridCoord refused{-1, -1};
  std::vector<std::pair<TGridCoord, TGridDrawState>> drawn;

  using TCustomGrid::IsColSizingPoint;
  using TCustomGrid::viewport;

protected:
  void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) override {
    ++drawCalls;
    maxRowDrawn = std::max(maxRowDrawn, row);
    if (row >= FixedRows() && (minScrollingRowDrawn < 0 || row < minScrollingRowDrawn)) minScrollingRowDrawn = row;
    drawn.push_back({TGridCoord{col, row}, state});
    TStringGrid::DrawCell(painter, col, row, rect, state);
  }
  bool SelectCell(int col, int row) override { return !(col == refused.X && row == refused.Y); }
  void ColWidthsChanged() override { ++widthChanges; }
  void ColumnMoved(int from, int to) override {
    moves.emplace_back(from, to);
    TStringGrid::ColumnMoved(from, to);
  }
  void TopLeftChanged() override { ++topLeftChanges; }
};

class GridTest : public testing::Test {
protected:
  void SetUp() override {
    grid = std::make_unique<RecordingGrid>();
    grid->resize(400, 300);
    grid->SetColCount(6);
    grid->SetRowCount(50);
    grid->SetDefaultRowHeight(20);
    grid->SetDefaultColWidth(60);
    ASSERT_TRUE(ShowActive(grid.get()));
    grid->setFocus();
  }
  QWidget* Viewport() { return grid->viewport(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(grid.get(), key, mods); }
  std::pair<int, int> Current() const { return {grid->Col(), grid->Row()}; }

  std::unique_ptr<RecordingGrid> grid;
};

}  // namespace

TEST_F(GridTest, ArrowHomeEndAndPageKeysMoveTheCurrentCell) {
  EXPECT_EQ(Current(), std::make_pair(1, 1));
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), std::make_pair(2, 3));
  Key(Qt::Key_Up);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);  // the fixed column is never current
  EXPECT_EQ(Current(), std::make_pair(1, 2));
  Key(Qt::Key_End);
  EXPECT_EQ(Current(), std::make_pair(5, 2));
  Key(Qt::Key_Home);
  EXPECT_EQ(Current(), std::make_pair(1, 2));
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(Current(), std::make_pair(5, 49));
  EXPECT_GT(grid->TopRow(), 1);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(Current(), std::make_pair(1, 1));
  EXPECT_EQ(grid->TopRow(), 1);

  const int page = grid->VisibleRowCount();
  ASSERT_GT(page, 3);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid->Row(), 1 + page);
  EXPECT_EQ(grid->TopRow(), 1 + page);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(grid->Row(), 1);
  Key(Qt::Key_PageDown, Qt::ControlModifier);  // last visible row
  EXPECT_EQ(grid->Row(), grid->TopRow() + page - 1);
}

TEST_F(GridTest, HiddenColumnsAreSteppedOver) {
  grid->SetColWidths(2, -1);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 3);
  Key(Qt::Key_Left);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_TRUE(grid->CellRect(2, 1).isEmpty());
  EXPECT_EQ(grid->CellRect(3, 1).left(), grid->CellRect(1, 1).right() + 2);
}

TEST_F(GridTest, TabFollowsTabStopsAndWrapsOnlyWithGoTabs) {
  Key(Qt::Key_Tab);
  EXPECT_EQ(Current(), std::make_pair(1, 1)) << "without goTabs Tab leaves the cell alone";
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goTabs));
  grid->SetTabStops(3, false);
  Key(Qt::Key_Tab);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Current(), std::make_pair(4, 1));
  Key(Qt::Key_Tab);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Current(), std::make_pair(1, 2));
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Current(), std::make_pair(5, 1));
  EXPECT_TRUE(grid->hasFocus());
}

TEST_F(GridTest, ClickingACellMakesItCurrentUnlessSelectCellRefuses) {
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, grid->CellRect(3, 4).center());
  EXPECT_EQ(Current(), std::make_pair(3, 4));
  EXPECT_EQ(grid->MouseCoord(grid->CellRect(2, 5).center().x(), grid->CellRect(2, 5).center().y()),
            (TGridCoord{2, 5}));
  // Fixed cells are never current.
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, grid->CellRect(0, 6).center());
  EXPECT_EQ(Current(), std::make_pair(3, 4));
  grid->refused = TGridCoord{2, 2};
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, grid->CellRect(2, 2).center());
  EXPECT_EQ(Current(), std::make_pair(3, 4));
}

TEST_F(GridTest, ShiftClickExtendsARangeSelection) {
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, grid->CellRect(2, 2).center());
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::ShiftModifier, grid->CellRect(4, 5).center());
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 5}));
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->Selection(), (TGridRect{4, 6, 4, 6}));
}

TEST_F(GridTest, DraggingOverCellsSelectsARange) {
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, grid->CellRect(1, 2).center());
  QTest::mouseMove(Viewport(), grid->CellRect(2, 3).center());
  QTest::mouseMove(Viewport(), grid->CellRect(3, 4).center());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, grid->CellRect(3, 4).center());
  EXPECT_EQ(grid->Selection(), (TGridRect{1, 2, 3, 4}));
  EXPECT_EQ(Current(), std::make_pair(3, 4));

  // Without goRangeSelect the drag only moves the current cell.
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Exclude(goRangeSelect));
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, grid->CellRect(1, 2).center());
  QTest::mouseMove(Viewport(), grid->CellRect(2, 5).center());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, grid->CellRect(2, 5).center());
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 5, 2, 5}));
}

TEST_F(GridTest, DraggingAColumnBorderResizesTheColumn) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goColSizing));
  grid->widthChanges = 0;
  const QRect title = grid->CellRect(2, 0);
  const QPoint border(title.right() + 1, title.center().y());
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, border);
  QTest::mouseMove(Viewport(), border + QPoint(25, 0));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, border + QPoint(25, 0));
  EXPECT_EQ(grid->ColWidths(2), 60 + 25);
  EXPECT_EQ(grid->widthChanges, 1);
  EXPECT_EQ(grid->CellRect(3, 1).left(), title.left() + 85 + 1);
  EXPECT_EQ(Current(), std::make_pair(1, 1));

  // Without goColSizing the same drag changes nothing.
  grid->SetOptions(options.Exclude(goColSizing));
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(grid->CellRect(2, 0).right() + 1, border.y()));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(grid->CellRect(2, 0).right() + 30, border.y()));
  EXPECT_EQ(grid->ColWidths(2), 85);
  EXPECT_EQ(grid->widthChanges, 1);
}

TEST_F(GridTest, DraggingATitleMovesTheColumnWithItsCells) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goColMoving));
  grid->SetColWidths(1, 50);
  for (int c = 0; c < 6; ++c) grid->SetCells(c, 3, std::string(1, static_cast<char>('a' + c)));
  grid->SetCol(1);
  const QPoint from = grid->CellRect(1, 0).center();
  const QPoint to = grid->CellRect(3, 0).center();
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(Viewport(), grid->CellRect(2, 0).center());
  QTest::mouseMove(Viewport(), to);
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, to);
  ASSERT_EQ(grid->moves.size(), 1u);
  EXPECT_EQ(grid->moves[0], std::make_pair(1, 3));
  EXPECT_EQ(grid->Cells(1, 3), "c");
  EXPECT_EQ(grid->Cells(2, 3), "d");
  EXPECT_EQ(grid->Cells(3, 3), "b");
  EXPECT_EQ(grid->ColWidths(3), 50);
  EXPECT_EQ(grid->Col(), 3) << "the current cell stays on the moved column";

  // A click on a title without moving moves nothing.
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, grid->CellRect(2, 0).center());
  EXPECT_EQ(grid->moves.size(), 1u);
}

TEST_F(GridTest, FixedColumnDragsSizeAndMoveRows) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goRowSizing).Include(goRowMoving));
  grid->SetCells(2, 2, "second");
  grid->SetCells(2, 4, "fourth");
  const QRect head = grid->CellRect(0, 2);
  const QPoint border(head.center().x(), head.bottom() + 1);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, border);
  QTest::mouseMove(Viewport(), border + QPoint(0, 12));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, border + QPoint(0, 12));
  EXPECT_EQ(grid->RowHeights(2), 32);
  EXPECT_EQ(grid->RowHeights(3), 20);

  QTest::mousePress(Viewport(), Qt::LeftButton, {}, grid->CellRect(0, 2).center());
  QTest::mouseMove(Viewport(), grid->CellRect(0, 3).center());
  QTest::mouseMove(Viewport(), grid->CellRect(0, 4).center());
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, grid->CellRect(0, 4).center());
  EXPECT_EQ(grid->Cells(2, 4), "second");
  EXPECT_EQ(grid->Cells(2, 3), "fourth");
  EXPECT_EQ(grid->RowHeights(4), 32) << "the height moves with its row";
  EXPECT_EQ(grid->RowHeights(2), 20);
}

TEST_F(GridTest, OnDrawCellFollowsTheDefaultDrawing) {
  int fixedSeen = 0;
  int dataSeen = 0;
  grid->SetRowCount(3);
  grid->OnDrawCell = [&](TStringGrid* sender, QPainter& painter, int, int row, const QRect& rect, TGridDrawState state) {
    EXPECT_EQ(sender, grid.get());
    EXPECT_EQ(state.Contains(gdFixed), row == 0 || rect.left() == 0);
    (state.Contains(gdFixed) ? fixedSeen : dataSeen)++;
    if (!state.Contains(gdFixed)) painter.fillRect(rect, Qt::white);
  };
  const QImage image = grid->grab().toImage();
  EXPECT_EQ(fixedSeen, 6 + 2);
  EXPECT_EQ(dataSeen, 5 * 2);
  const QRect cell = grid->CellRect(3, 2);
  EXPECT_EQ(image.pixelColor(cell.center()), QColor(Qt::white));
}

TEST_F(GridTest, ScrollBarAndTopRowMoveTogether) {
  grid->SetRowCount(1000);
  QScrollBar* bar = grid->verticalScrollBar();
  // The bar counts scrolling rows: its range plus one page is all of them.
  EXPECT_EQ(bar->maximum() + bar->pageStep(), 1000 - grid->FixedRows());
  grid->SetTopRow(100);
  EXPECT_EQ(bar->value(), 99);
  bar->setValue(250);
  EXPECT_EQ(grid->TopRow(), 251);
  EXPECT_GE(grid->topLeftChanges, 2);
  grid->SetTopRow(5000);  // past the end: the last full page
  EXPECT_EQ(grid->TopRow(), 1000 - grid->VisibleRowCount());
  EXPECT_EQ(bar->value(), bar->maximum());

  grid->SetTopRow(1);
  grid->SetRow(1);
  for (int i = 0; i < 40; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(grid->Row(), 41);
  EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount() - 1, 41) << "the current row is the last one shown";
  EXPECT_EQ(bar->value(), grid->TopRow() - 1);
  QRect cell = grid->CellRect(1, 41);
  EXPECT_FALSE(cell.isEmpty());
  EXPECT_LE(cell.bottom(), Viewport()->height());
}

TEST_F(GridTest, ThumbDragScrollsOnReleaseUnlessThumbTracking) {
  grid->SetRowCount(1000);
  QScrollBar* bar = grid->verticalScrollBar();
  bar->setSliderDown(true);
  bar->setSliderPosition(50);
  EXPECT_EQ(grid->TopRow(), 1);
  bar->setSliderDown(false);
  EXPECT_EQ(grid->TopRow(), 51);

  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goThumbTracking));
  bar->setSliderDown(true);
  bar->setSliderPosition(80);
  EXPECT_EQ(grid->TopRow(), 81);
  bar->setSliderDown(false);
}

TEST_F(GridTest, ABarLeftOutOfScrollBarsIsLeftToTheDerivedGrid) {
  grid->SetRowCount(1000);
  grid->SetScrollBars(ssHorizontal);
  QScrollBar* bar = grid->verticalScrollBar();
  EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // A derived grid drives the bar with its own range; the top row stays.
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  bar->setRange(1, 5);
  bar->setValue(3);
  EXPECT_EQ(grid->TopRow(), 1);
  grid->SetTopRow(10);
  EXPECT_EQ(bar->value(), 3);
  EXPECT_EQ(bar->maximum(), 5);
}

TEST_F(GridTest, ColumnBorderHitTestFollowsGoColSizing) {
  const QRect title = grid->CellRect(2, 0);
  EXPECT_FALSE(grid->IsColSizingPoint(title.right() + 1, title.center().y()));
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goColSizing));
  EXPECT_TRUE(grid->IsColSizingPoint(title.right() + 1, title.center().y()));
  EXPECT_FALSE(grid->IsColSizingPoint(title.center().x(), title.center().y()));
  EXPECT_FALSE(grid->IsColSizingPoint(title.right() + 1, grid->CellRect(2, 3).center().y())) << "data rows do not size";
}

TEST_F(GridTest, WheelMovesTheCurrentRow) {
  QWheelEvent down(QPointF(50, 50), QPointF(grid->viewport()->mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(0, -240),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Viewport(), &down);
  EXPECT_EQ(grid->Row(), 3);
  QWheelEvent up(QPointF(50, 50), QPointF(grid->viewport()->mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(0, 120),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Viewport(), &up);
  EXPECT_EQ(grid->Row(), 2);
}

TEST_F(GridTest, PaintsOnlyTheVisibleCellsOfAMillionRows) {
  grid->SetRowCount(10);
  grid->drawCalls = 0;
  grid->grab();
  const int smallCalls = grid->drawCalls;
  EXPECT_EQ(smallCalls, 6 * 10);

  grid->SetRowCount(1000001);
  grid->drawCalls = 0;
  grid->maxRowDrawn = -1;
  grid->grab();
  const int rowsShown = Viewport()->height() / 21 + 1;  // 20 pixels plus a line
  EXPECT_LE(grid->drawCalls, 6 * (rowsShown + 1));
  EXPECT_LE(grid->maxRowDrawn, rowsShown + 1);

  grid->SetTopRow(500000);
  grid->drawCalls = 0;
  grid->maxRowDrawn = -1;
  grid->minScrollingRowDrawn = -1;
  grid->grab();
  EXPECT_LE(grid->drawCalls, 6 * (rowsShown + 1));
  EXPECT_EQ(grid->minScrollingRowDrawn, 500000);
  EXPECT_LE(grid->maxRowDrawn, 500000 + rowsShown);
}

TEST_F(GridTest, DrawStatesMarkFixedSelectedAndFocusedCells) {
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Include(goRowSelect));
  grid->SetRow(3);
  grid->drawn.clear();
  grid->grab();
  for (auto& [cell, state] : grid->drawn) {
    const bool fixed = cell.X == 0 || cell.Y == 0;
    EXPECT_EQ(state.Contains(gdFixed), fixed) << cell.X << "," << cell.Y;
    EXPECT_EQ(state.Contains(gdSelected), !fixed && cell.Y == 3) << cell.X << "," << cell.Y;
    EXPECT_EQ(state.Contains(gdFocused), cell.X == 1 && cell.Y == 3) << cell.X << "," << cell.Y;
  }
}

TEST_F(GridTest, GeometryFollowsWidthsHeightsAndLineOptions) {
  grid->SetColWidths(0, 30);
  grid->SetRowHeights(2, 40);
  EXPECT_EQ(grid->CellRect(0, 0), QRect(0, 0, 30, 20));
  EXPECT_EQ(grid->CellRect(1, 1), QRect(31, 21, 60, 20));
  EXPECT_EQ(grid->CellRect(1, 2), QRect(31, 42, 60, 40));
  EXPECT_EQ(grid->CellRect(1, 3).top(), 83);
  EXPECT_EQ(grid->BoxRect(1, 1, 2, 2), QRect(31, 21, 121, 61));
  // Without lines in the scrolling part the cells touch.
  TGridOptions options = grid->Options();
  grid->SetOptions(options.Exclude(goVertLine).Exclude(goHorzLine));
  EXPECT_EQ(grid->CellRect(2, 3), QRect(91, 81, 60, 20));
  grid->SetTopRow(20);
  EXPECT_TRUE(grid->CellRect(1, 3).isEmpty());
  EXPECT_EQ(grid->CellRect(1, 20), QRect(31, 21, 60, 20));
  EXPECT_EQ(grid->MouseCoord(5, 5), (TGridCoord{0, 0}));
  EXPECT_EQ(grid->MouseCoord(35, 25), (TGridCoord{1, 20}));
  EXPECT_EQ(grid->MouseCoord(35, 41), (TGridCoord{1, 21}));
}

TEST_F(GridTest, FixedCountsMustStayBelowTheCounts) {
  EXPECT_THROW(grid->SetFixedCols(6), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedRows(-1), EInvalidGridOperation);
  grid->SetFixedRows(2);
  EXPECT_EQ(grid->Row(), 2);
  grid->SetRowCount(2);
  EXPECT_EQ(grid->FixedRows(), 1);
  grid->SetRowCount(20);
  grid->grab().save(QString::fromStdString(TestOutputPath("string_grid.png")));
}
