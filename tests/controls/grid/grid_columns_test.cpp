// Columns, layout and painting of the data grid.
#include <QAccessible>
#include <QImage>
#include <QScrollBar>

#include "controls/grid/grid_data_link.h"
#include "grid_test_support.h"

using namespace gridtest;

namespace {

class GridColumns : public GridTest {};

TEST_F(GridColumns, PersistentColumnsBindByNameAndKeepTheirOrder) {
  Open();
  ASSERT_TRUE(Show());
  ASSERT_EQ(grid->Columns().Count(), 10);
  EXPECT_TRUE(grid->Columns().Persistent());
  EXPECT_EQ(grid->ColCount(), 11);  // the indicator first
  EXPECT_EQ(grid->Columns()[1]->Field(), ideas->FieldByName("Subject"));
  EXPECT_EQ(grid->Columns()[1]->Title()->Caption(), "Subject");
  // The field map follows the columns.
  TGridDataLink* link = grid->DataLink();
  ASSERT_EQ(link->FieldCount(), 10);
  EXPECT_EQ(link->Fields(9), ideas->FieldByName("Key"));
  EXPECT_TRUE(link->MapByColumns());
  // A column naming no field stays, shows nothing and cannot be edited.
  TVelaColumn* ghost = grid->Columns().Add();
  ghost->SetFieldName("NoSuchField");
  EXPECT_EQ(ghost->Field(), nullptr);
  EXPECT_EQ(grid->ColCount(), 12);
  EXPECT_EQ(grid->DataCellText(10, 0), "");
  EXPECT_FALSE(grid->TabStops(11));
}

TEST_F(GridColumns, AutomaticColumnsFollowTheVisibleFields) {
  Open(-1, false);
  ideas->FieldByName("Notes")->SetVisible(false);
  ASSERT_TRUE(Show());
  EXPECT_FALSE(grid->Columns().Persistent());
  EXPECT_EQ(grid->Columns().Count(), ideas->FieldCount() - 1);
  for (int i = 0; i < grid->Columns().Count(); ++i) {
    EXPECT_FALSE(grid->Columns()[i]->IsPersistent());
    EXPECT_NE(grid->Columns()[i]->FieldName(), "Notes");
  }
  // Hiding another field takes its column away, showing it brings it back.
  ideas->FieldByName("Title")->SetVisible(false);
  EXPECT_EQ(grid->Columns().Count(), ideas->FieldCount() - 2);
  ideas->FieldByName("Title")->SetVisible(true);
  EXPECT_EQ(grid->Columns().Count(), ideas->FieldCount() - 1);
  // A caption set on an automatic column is the field's label and survives a rebuild.
  grid->Columns()[1]->Title()->SetCaption("About");
  EXPECT_EQ(ideas->FieldByName("Subject")->DisplayLabel(), "About");
  grid->RequestLayout();
  EXPECT_EQ(grid->Columns()[1]->Title()->Caption(), "About");
}

TEST_F(GridColumns, ColumnPropertiesFollowTheirDefaultsUntilSet) {
  Open();
  TVelaColumn* subject = grid->Columns()[1];
  EXPECT_EQ(subject->Color(), grid->Color());
  EXPECT_FALSE(subject->ExplicitValues().Contains(evColor));
  subject->SetColor(QColor(1, 2, 3));
  EXPECT_TRUE(subject->ExplicitValues().Contains(evColor));
  EXPECT_EQ(subject->Color(), QColor(1, 2, 3));
  EXPECT_EQ(subject->Title()->Alignment(), taCenter);
  EXPECT_EQ(grid->Columns()[9]->Alignment(), ideas->FieldByName("Key")->Alignment());
  // Lookup and combo columns are left aligned whatever their field says.
  EXPECT_EQ(grid->Columns()[2]->Alignment(), taLeftJustify);
  // The display field is the first of the drop-down fields.
  subject->SetLookupDropDownFields("CATEGORY;CKEY");
  EXPECT_EQ(subject->LookupDisplayField(), "CATEGORY");
  subject->SetLookupDropDownFields("CKEY");
  EXPECT_EQ(subject->LookupDisplayField(), "CKEY");
  // The grid's own dataset is no lookup dataset; the old one stays.
  EXPECT_THROW(subject->SetLookupDataSet(ideas.get()), EDatabaseError);
  EXPECT_EQ(subject->LookupDataSet(), nullptr);
  // A hidden column has no width and no tab stop, and no painted cell.
  TVelaColumn* title = grid->Columns()[5];
  title->SetVisible(false);
  EXPECT_EQ(title->Width(), -1);
  EXPECT_LE(grid->ColWidths(6), 0);
  EXPECT_FALSE(grid->TabStops(6));
  // ResetToDefaults forgets what was assigned.
  subject->ResetToDefaults();
  EXPECT_TRUE(subject->ExplicitValues().Empty());
  EXPECT_FALSE(subject->CanClick());
  EXPECT_EQ(subject->Color(), grid->Color());
}

TEST_F(GridColumns, OptionsMapToTheBaseGridAndRowSelectDropsEditing) {
  Open();
  EXPECT_EQ(grid->Options(), TVelaCustomDBGrid::kDefaultOptions);
  EXPECT_EQ(grid->Options().Bits(), 3325u);
  EXPECT_TRUE(grid->TCustomGrid::Options().Contains(goEditing));
  TVelaDBGridOptions options = grid->Options();
  options.Include(dgRowSelect);
  grid->SetOptions(options);
  EXPECT_FALSE(grid->Options().Contains(dgEditing));
  EXPECT_TRUE(grid->TCustomGrid::Options().Contains(goRowSelect));
  EXPECT_FALSE(grid->AllowInsert());
  EXPECT_FALSE(grid->AllowDelete());
  options = grid->Options();
  options.Exclude(dgRowSelect).Include(dgEditing);
  grid->SetOptions(options);
  // Editing comes back, inserting and deleting do not.
  EXPECT_TRUE(grid->Options().Contains(dgEditing));
  EXPECT_FALSE(grid->AllowInsert());
  EXPECT_FALSE(grid->AllowDelete());
  grid->SetAllowInsert(true);
  EXPECT_TRUE(grid->AllowInsert());
  // Without the indicator the first column is a data column.
  options.Exclude(dgIndicator);
  grid->SetOptions(options);
  EXPECT_EQ(grid->IndicatorCols(), 0);
  EXPECT_EQ(grid->ColCount(), 10);
  options.Exclude(dgTitles);
  grid->SetOptions(options);
  EXPECT_EQ(grid->TitleRows(), 0);
}

TEST_F(GridColumns, RowsComeFromTheLinksWindowNotTheTable) {
  Open(3000);
  ASSERT_TRUE(Show());
  const int visible = grid->VisibleRowCount();
  EXPECT_GT(visible, 5);
  EXPECT_EQ(grid->DataLink()->BufferCount(), visible);
  EXPECT_EQ(grid->RowCount(), grid->TitleRows() + visible);
  // The scroll bar places the record by its number.
  QScrollBar* bar = grid->verticalScrollBar();
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 3000);
  EXPECT_EQ(bar->value(), 1);
  ideas->Last();
  EXPECT_EQ(bar->value(), 3000);
  EXPECT_EQ(DataRow(), visible - 1);
  // A taller window holds more rows.
  window->resize(900, 700);
  QTest::qWait(20);
  EXPECT_GT(grid->DataLink()->BufferCount(), visible);
  EXPECT_EQ(grid->RowCount(), grid->TitleRows() + grid->DataLink()->BufferCount());
}

TEST_F(GridColumns, RowAndTitleHeightsOnlyGrow) {
  Open();
  const int row = grid->DefaultRowHeight();
  const int title = grid->RowHeights(0);
  grid->SetRowsHeight(row - 5);
  EXPECT_EQ(grid->DefaultRowHeight(), row);
  grid->SetRowsHeight(row + 10);
  EXPECT_EQ(grid->DefaultRowHeight(), row + 10);
  grid->SetTitleHeight(title - 3);
  EXPECT_EQ(grid->RowHeights(0), title);
  grid->SetTitleHeight(title + 7);
  EXPECT_EQ(grid->RowHeights(0), title + 7);
}

TEST_F(GridColumns, AnEmptyTableShowsOneEmptyRowAndStillAsksForAttributes) {
  Open(0);
  int dataCells = 0;
  int flagCells = 0;
  grid->OnDrawCellAttr = [&](TVelaCustomDBGrid*, TVelaColumn* column, TFont&, QColor&, TGridDrawState) {
    ++dataCells;
    if (column->FieldName() == "Flag") ++flagCells;
  };
  ASSERT_TRUE(Show());
  EXPECT_EQ(grid->RowCount(), grid->TitleRows() + 1);
  grid->grab();
  EXPECT_GT(dataCells, 0);
  EXPECT_GT(flagCells, 0);
  EXPECT_EQ(grid->DataCellText(1, 0), "");
  // With an empty ValueChecked an empty cell counts as ticked.
  EXPECT_NE(grid->Columns()[0]->ValueChecked(), "");
}

TEST_F(GridColumns, CellsShowDisplayTextsLookupsAndPickLists) {
  Open();
  ASSERT_TRUE(Show());
  // The first idea by Group;Subject has no group.
  ideas->First();
  const std::string subject = Current("Subject");
  EXPECT_EQ(grid->DataCellText(1, 0), subject);
  // A pick list shows the item of the stored value.
  TVelaColumn* pub = grid->Columns()[7];
  pub->SetButtonStyle(cbsCombo);
  pub->SetPickList({"On the blog", "In the newsletter"});
  pub->SetPickValues({"Blog", "Newsletter"});
  ideas->Locate("Published", TVariant(std::string("Blog")), {});
  EXPECT_EQ(grid->DataCellText(7, grid->DataLink()->ActiveRecord()), "On the blog");
  ideas->Locate("Published", TVariant(std::string("Guest post")), {});
  EXPECT_EQ(grid->DataCellText(7, grid->DataLink()->ActiveRecord()), "");
  // Unequal lists: the pick list is ignored.
  pub->SetPickValues({"Blog"});
  EXPECT_EQ(grid->DataCellText(7, grid->DataLink()->ActiveRecord()), "Guest post");
}

TEST_F(GridColumns, DrawCellAttrSeesThePaintedRowAndItsColourSticksToTheCell) {
  Open();
  std::vector<std::string> painted;
  grid->OnDrawCellAttr = [&](TVelaCustomDBGrid*, TVelaColumn* column, TFont& font, QColor&, TGridDrawState) {
    if (column->FieldName() != "Subject") return;
    painted.push_back(ideas->FieldByName("Subject")->AsString());
    if (ideas->FieldByName("Flag")->AsBoolean()) font.Color = QColor(255, 0, 0);
  };
  ASSERT_TRUE(Show());
  const QImage image = grid->grab().toImage();
  ASSERT_GE(painted.size(), 5u);
  // Each row painted once, in the dataset's order, and the cursor stayed.
  EXPECT_EQ(painted[0], grid->DataCellText(1, 0));
  EXPECT_EQ(painted[1], grid->DataCellText(1, 1));
  EXPECT_EQ(DataRow(), 0);
  // Red pixels exactly in the rows of flagged ideas.
  for (int r = 0; r < grid->DataLink()->RecordCount(); ++r) {
    const QRect cell = grid->CellRect(2, grid->TitleRows() + r);
    bool red = false;
    const qreal dpr = image.devicePixelRatio();
    for (int x = cell.left(); x < cell.right() && !red; ++x)
      for (int y = cell.top(); y < cell.bottom() && !red; ++y) {
        const QColor c = image.pixelColor(QPoint(int(x * dpr), int(y * dpr)));
        red = c.red() > 180 && c.green() < 90 && c.blue() < 90;
      }
    const int saved = grid->DataLink()->ActiveRecord();
    grid->DataLink()->SetActiveRecord(r);
    const bool flagged = ideas->FieldByName("Flag")->AsBoolean();
    grid->DataLink()->SetActiveRecord(saved);
    EXPECT_EQ(red, flagged) << "row " << r;
  }
}

TEST_F(GridColumns, TitleFontAndColourComeThroughTitleAttr) {
  Open();
  int titles = 0;
  grid->OnDrawTitleAttr = [&](TVelaCustomDBGrid*, TVelaColumn*, TFont&, QColor& color) {
    ++titles;
    color = QColor(0, 0, 200);
  };
  ASSERT_TRUE(Show());
  const QImage image = grid->grab().toImage();
  EXPECT_GE(titles, 3);
  const QRect cell = grid->CellRect(2, 0);
  const qreal dpr = image.devicePixelRatio();
  const QColor c = image.pixelColor(QPoint(int((cell.left() + 3) * dpr), int((cell.center().y()) * dpr)));
  EXPECT_EQ(c, QColor(0, 0, 200));
  grid->grab().save(QString::fromStdString(TestOutputPath("grid-titles.png")));
}

TEST_F(GridColumns, LayoutChangesUnderALockBecomeOneRebuild) {
  Open();
  ASSERT_TRUE(Show());
  grid->LockLayout();
  grid->LockLayout();
  grid->Columns().Add()->SetFieldName("Notes");
  grid->Columns().Add()->SetFieldName("Title");
  EXPECT_EQ(grid->ColCount(), 11);  // nothing rebuilt yet
  grid->UnlockLayout();
  EXPECT_EQ(grid->ColCount(), 11);
  grid->UnlockLayout();
  EXPECT_EQ(grid->ColCount(), 13);
  EXPECT_EQ(grid->PaintLock(), 0);
  EXPECT_EQ(grid->LayoutHold(), 0);
  // An unlock too many changes nothing.
  grid->UnlockLayout();
  EXPECT_EQ(grid->PaintLock(), 0);
  // A request while only painting is locked is dropped; PostLayout rebuilds later.
  grid->LockLayout();
  grid->Columns().Add()->SetFieldName("Key");
  grid->PostLayout();
  EXPECT_EQ(grid->LayoutHold(), 0);
  EXPECT_EQ(grid->ColCount(), 13);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid->ColCount(), 14);
}

TEST_F(GridColumns, SortMarksAreDrawnInTheTitle) {
  Open();
  ASSERT_TRUE(Show());
  const QRect title = grid->CellRect(2, 0);
  auto darkPixelsAtRight = [&] {
    const QImage image = grid->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    int dark = 0;
    for (int x = title.right() - 12; x < title.right() - 1; ++x)
      for (int y = title.top() + 2; y < title.bottom() - 1; ++y)
        if (image.pixelColor(QPoint(int(x * dpr), int(y * dpr))).lightness() < 160) ++dark;
    return dark;
  };
  const int plain = darkPixelsAtRight();
  grid->Columns()[1]->SetTitleSortMark(tsmDown);
  const int down = darkPixelsAtRight();
  grid->Columns()[1]->SetTitleSortMark(tsmUp);
  const int up = darkPixelsAtRight();
  EXPECT_GT(down, plain);
  EXPECT_GT(up, plain);
  grid->grab().save(QString::fromStdString(TestOutputPath("grid-sort-mark.png")));
}

TEST_F(GridColumns, DraggingAColumnBorderStoresTheWidthInTheColumn) {
  Open();
  ASSERT_TRUE(Show());
  TVelaColumn* subject = grid->Columns()[1];
  TVelaColumn* resized = nullptr;
  grid->OnColumnResized = [&](TVelaCustomDBGrid*, TVelaColumn* c) { resized = c; };
  const QRect title = grid->CellRect(2, 0);
  const QPoint border(title.right() + 1, title.center().y());
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, border);
  QTest::mouseMove(grid->viewport(), border + QPoint(40, 0));
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, border + QPoint(40, 0));
  EXPECT_EQ(resized, subject);
  EXPECT_TRUE(subject->ExplicitValues().Contains(evWidth));
  EXPECT_NEAR(subject->Width(), title.width() + 40, 2);
  EXPECT_EQ(grid->ColWidths(2), subject->Width());
}

TEST_F(GridColumns, MovingAColumnMovesItInTheCollection) {
  Open();
  ASSERT_TRUE(Show());
  int from = -1, to = -1;
  grid->OnColumnMoved = [&](TVelaCustomDBGrid*, int f, int t) {
    from = f;
    to = t;
  };
  // The Flag column (no CanClick) is dragged onto the Group column.
  const QPoint start = CellCenter(ColOf("Flag"), 0);
  const QPoint end = CellCenter(ColOf("Group"), 0);
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, start);
  QTest::mouseMove(grid->viewport(), end);
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, end);
  EXPECT_EQ(from, 0);
  EXPECT_EQ(to, 2);
  EXPECT_EQ(grid->Columns()[0]->FieldName(), "Subject");
  EXPECT_EQ(grid->Columns()[1]->FieldName(), "Group");
  EXPECT_EQ(grid->Columns()[2]->FieldName(), "Flag");
  // A clickable title does not start a drag.
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Subject"), 0));
  QTest::mouseMove(grid->viewport(), CellCenter(ColOf("Flag"), 0));
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, CellCenter(ColOf("Flag"), 0));
  EXPECT_EQ(grid->Columns()[0]->FieldName(), "Subject");
}

}  // namespace

namespace {

class GridAccessibility : public GridTest {};

TEST_F(GridAccessibility, TheGridReadsAsATable) {
  Open();
  ASSERT_TRUE(Show());
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->role(), QAccessible::Table);
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->columnCount(), 10);
  EXPECT_EQ(table->rowCount(), grid->DataLink()->RecordCount());
  EXPECT_EQ(table->columnDescription(1), "Subject");
  EXPECT_EQ(table->columnDescription(3), "UserField1");
  QAccessibleInterface* cell = table->cellAt(2, 1);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->role(), QAccessible::Cell);
  EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), grid->DataCellText(1, 2));
  EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 2);
  EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 1);
  EXPECT_EQ(table->cellAt(2, 1), cell);  // one object per cell
  EXPECT_EQ(iface->indexOfChild(cell), 2 * 10 + 1);
  EXPECT_FALSE(cell->rect().isEmpty());
  // The current cell follows the keys.
  Key(Qt::Key_Down);
  Key(Qt::Key_Right);
  QAccessibleInterface* focus = iface->focusChild();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus->tableCellInterface()->rowIndex(), 1);
  EXPECT_EQ(focus->tableCellInterface()->columnIndex(), 1);
  EXPECT_TRUE(focus->state().focused);
  EXPECT_EQ(focus->text(QAccessible::Name).toStdString(), Current("Subject"));
  EXPECT_EQ(table->selectedCells().size(), 1);
}

}  // namespace
