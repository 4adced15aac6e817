// Keys, mouse, scroll bar, wheel and multi-selection of the data grid.
#include <QScrollBar>
#include <QWheelEvent>

#include "grid_test_support.h"

using namespace gridtest;

namespace {

class GridKeys : public GridTest {
protected:
  void SortOnTitleClick() {
    grid->OnTitleClick = [this](TVelaCustomDBGrid*, TVelaColumn* column) {
      clicked.push_back(column->FieldName());
      ideas->SetIndexFieldNames(column->FieldName());
    };
  }
  std::vector<std::string> SubjectsShown() {
    std::vector<std::string> out;
    for (int r = 0; r < grid->DataLink()->RecordCount(); ++r) out.push_back(grid->DataCellText(1, r));
    return out;
  }
  std::vector<std::string> clicked;
};

TEST_F(GridKeys, TitleClickSortsOnlyClickableColumns) {
  Open();
  SortOnTitleClick();
  ASSERT_TRUE(Show());
  ideas->Last();
  const std::string current = Current("Subject");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Subject"), 0));
  ASSERT_EQ(clicked, std::vector<std::string>{"Subject"});
  EXPECT_EQ(ideas->IndexFieldNames(), "Subject");
  // The current idea stays current; the rows are in subject order.
  EXPECT_EQ(Current("Subject"), current);
  ideas->First();
  const auto shown = SubjectsShown();
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << shown[0] << " / " << shown[1];
  // Title has no CanClick: nothing happens.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Title"), 0));
  EXPECT_EQ(clicked.size(), 1u);
  EXPECT_EQ(ideas->IndexFieldNames(), "Subject");
  // Pressed on one clickable title and released on another: no click.
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Group"), 0));
  EXPECT_TRUE(grid->Columns()[2]->TitlePressed());
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("UserField1"), 0));
  EXPECT_FALSE(grid->Columns()[2]->TitlePressed());
  EXPECT_EQ(clicked.size(), 1u);
  // A click resets every sort mark before the handler runs.
  grid->Columns()[1]->SetTitleSortMark(tsmDown);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("UserField1"), 0));
  EXPECT_EQ(grid->Columns()[1]->TitleSortMark(), tsmNone);
  EXPECT_EQ(clicked.back(), "UserField1");
}

TEST_F(GridKeys, DoubleClickRaisesOnDblClickAndClicksMoveTheRecord) {
  Open();
  int doubles = 0;
  grid->OnDblClick = [&](TVelaCustomDBGrid*) { ++doubles; };
  std::vector<std::string> cells;
  grid->OnCellClick = [&](TVelaCustomDBGrid*, TVelaColumn* c) { cells.push_back(c->FieldName()); };
  ASSERT_TRUE(Show());
  const std::string third = grid->DataCellText(1, 2);
  Click(ColOf("Subject"), grid->TitleRows() + 2);
  EXPECT_EQ(Current("Subject"), third);
  EXPECT_EQ(DataRow(), 2);
  EXPECT_EQ(grid->Col(), ColOf("Subject"));
  // A click on another cell moves without opening the editor; on the current cell it opens it.
  EXPECT_FALSE(grid->EditorMode());
  Click(ColOf("Subject"), grid->TitleRows() + 2);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(cells, (std::vector<std::string>{"Subject", "Subject"}));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Title"), grid->TitleRows() + 1));
  EXPECT_EQ(doubles, 1);
}

TEST_F(GridKeys, ArrowsHomeEndAndPagesMoveTheDataset) {
  Open(500);
  ASSERT_TRUE(Show());
  const int page = grid->VisibleRowCount();
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->RecNo(), 2);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(ideas->RecNo(), 2 + page);
  Key(Qt::Key_Up, Qt::ControlModifier);  // first shown row
  EXPECT_EQ(DataRow(), 0);
  Key(Qt::Key_Down, Qt::ControlModifier);  // last shown row
  EXPECT_EQ(DataRow(), page - 1);
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(ideas->RecNo(), 500);
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(ideas->RecNo(), 1);
  // Home and End without Ctrl go to the first and last column.
  Key(Qt::Key_End);
  EXPECT_EQ(grid->Col(), grid->ColCount() - 1);
  Key(Qt::Key_Home);
  EXPECT_EQ(grid->Col(), grid->IndicatorCols());
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), grid->IndicatorCols() + 1);
  Key(Qt::Key_Left);
  EXPECT_EQ(grid->Col(), grid->IndicatorCols());
  Key(Qt::Key_Left);
  EXPECT_EQ(grid->Col(), grid->IndicatorCols());
  EXPECT_EQ(ideas->State(), dsBrowse);
}

TEST_F(GridKeys, TabWalksTheTabStopsAndWrapsToTheNextRecord) {
  Open();
  ASSERT_TRUE(Show());
  std::vector<int> exits;
  grid->OnColExit = [&](TVelaCustomDBGrid* g) { exits.push_back(g->Col()); };
  Key(Qt::Key_Tab);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(exits, std::vector<int>{1});
  Key(Qt::Key_End);
  Key(Qt::Key_Tab);
  EXPECT_EQ(ideas->RecNo(), 2);
  EXPECT_EQ(grid->Col(), 1);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(ideas->RecNo(), 1);
  EXPECT_EQ(grid->Col(), grid->ColCount() - 1);
}

TEST_F(GridKeys, InsertInsertsAndDownOnTheLastRowAppends) {
  Open();
  ASSERT_TRUE(Show());
  const int count = ideas->RecordCount();
  Key(Qt::Key_Insert);
  EXPECT_EQ(ideas->State(), dsInsert);
  Key(Qt::Key_Escape);
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(ideas->RecordCount(), count);
  Key(Qt::Key_End, Qt::ControlModifier);
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->State(), dsInsert);
  EXPECT_TRUE(ideas->Eof());
  // Down again on the untouched new record does nothing; Up drops it.
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->State(), dsInsert);
  Key(Qt::Key_Up);
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(ideas->RecordCount(), count);
  // A read-only grid inserts nothing.
  grid->SetReadOnly(true);
  Key(Qt::Key_Insert);
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->State(), dsBrowse);
}

TEST_F(GridKeys, CtrlDeleteAsksAndOnlyOkDeletes) {
  Open();
  ASSERT_TRUE(Show());
  const int count = ideas->RecordCount();
  const std::string subject = Current("Subject");
  messages.answer = false;
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Q:Delete record ?"});
  EXPECT_EQ(ideas->RecordCount(), count);
  EXPECT_EQ(Current("Subject"), subject);
  messages.answer = true;
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ideas->RecordCount(), count - 1);
  EXPECT_NE(Current("Subject"), subject);
  // Without Ctrl, or with deleting not allowed, nothing is asked or deleted.
  messages.shown.clear();
  Key(Qt::Key_Delete);
  grid->SetAllowDelete(false);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(ideas->RecordCount(), count - 1);
}

TEST_F(GridKeys, MultiSelectWithCtrlClickAndShiftArrows) {
  Open();
  TVelaDBGridOptions options = grid->Options();
  options.Include(dgMultiSelect);
  grid->SetOptions(options);
  int changes = 0;
  grid->OnMultiSelectChanged = [&](TVelaCustomDBGrid*) { ++changes; };
  ASSERT_TRUE(Show());
  const int subjectCol = ColOf("Subject");
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(grid->SelectedRows().Count(), 4);
  EXPECT_GT(changes, 0);
  Key(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(grid->SelectedRows().Count(), 3);
  EXPECT_TRUE(grid->RowSelected(0));
  EXPECT_FALSE(grid->RowSelected(3));
  // A plain key clears the selection.
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
  // A click selects exactly its row; Ctrl+click toggles one row.
  Click(subjectCol, grid->TitleRows() + 1);
  EXPECT_EQ(grid->SelectedRows().Count(), 1);
  Click(subjectCol, grid->TitleRows() + 4, Qt::ControlModifier);
  Click(subjectCol, grid->TitleRows() + 6, Qt::ControlModifier);
  EXPECT_EQ(grid->SelectedRows().Count(), 3);
  Click(subjectCol, grid->TitleRows() + 4, Qt::ControlModifier);
  EXPECT_EQ(grid->SelectedRows().Count(), 2);
  EXPECT_TRUE(grid->RowSelected(1));
  EXPECT_TRUE(grid->RowSelected(6));
  // Deleting asks about the selection and takes exactly those rows.
  const std::string keep = grid->DataCellText(1, 4);
  const std::string gone1 = grid->DataCellText(1, 1);
  const std::string gone2 = grid->DataCellText(1, 6);
  const int count = ideas->RecordCount();
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(messages.shown.back(), "Q:Delete selected records ?");
  EXPECT_EQ(ideas->RecordCount(), count - 2);
  EXPECT_EQ(grid->SelectedRows().Count(), 0);
  EXPECT_FALSE(ideas->Locate("Subject", TVariant(gone1), {}));
  EXPECT_FALSE(ideas->Locate("Subject", TVariant(gone2), {}));
  EXPECT_TRUE(ideas->Locate("Subject", TVariant(keep), {}));
  // One selected row that is not current: "Delete record ?" and that row goes.
  ideas->First();
  const std::string one = grid->DataCellText(1, 2);
  Click(subjectCol, grid->TitleRows() + 2, Qt::ControlModifier);
  ideas->MoveBy(2);
  EXPECT_EQ(grid->SelectedRows().Count(), 1);
  EXPECT_NE(Current("Subject"), one);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(messages.shown.back(), "Q:Delete record ?");
  EXPECT_FALSE(ideas->Locate("Subject", TVariant(one), {}));
}

TEST_F(GridKeys, TheSelectedPseudoColumnShowsAndTogglesTheSelection) {
  Open();
  TVelaDBGridOptions options = grid->Options();
  options.Include(dgMultiSelect);
  grid->SetOptions(options);
  TVelaColumn* selected = grid->Columns().Add();
  selected->SetFieldName("Selected");
  selected->SetButtonStyle(cbsCheck);
  selected->SetValueChecked("x");
  ASSERT_TRUE(Show());
  const int col = grid->ColCount() - 1;
  grid->SetLeftCol(col);
  Click(col, grid->TitleRows() + 1);
  EXPECT_EQ(grid->SelectedRows().Count(), 1);
  Click(col, grid->TitleRows() + 3);
  EXPECT_EQ(grid->SelectedRows().Count(), 2);  // no reset from this column
  Click(col, grid->TitleRows() + 3);
  EXPECT_EQ(grid->SelectedRows().Count(), 1);
}

TEST_F(GridKeys, WheelAndScrollBarMoveTheCurrentRecord) {
  Open(1000);
  ASSERT_TRUE(Show());
  const QPoint at = CellCenter(2, 2);
  auto wheel = [&](int delta) {
    QWheelEvent event(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &event);
  };
  wheel(-120);
  wheel(-120);
  EXPECT_EQ(ideas->RecNo(), 3);
  wheel(120);
  EXPECT_EQ(ideas->RecNo(), 2);
  QScrollBar* bar = grid->verticalScrollBar();
  const int page = grid->VisibleRowCount();
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(ideas->RecNo(), 2 + page);
  EXPECT_EQ(bar->value(), ideas->RecNo());
  // Line down brings the row below the window into view.
  ideas->First();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(ideas->RecNo(), page + 1);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(ideas->RecNo(), 1000);
  // The released thumb goes to that record number.
  bar->setSliderDown(true);
  bar->setSliderPosition(500);
  EXPECT_EQ(ideas->RecNo(), 1000);  // no move while the thumb is held
  bar->setSliderDown(false);
  EXPECT_EQ(ideas->RecNo(), 500);
  EXPECT_EQ(bar->value(), 500);
}

}  // namespace
