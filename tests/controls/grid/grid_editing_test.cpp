// In-place editing of the data grid: typed texts, check boxes, the pick
// list and the calendar drop-downs, and what reaches the table file.
#include <QToolButton>

#include "controls/grid/db_grid_inplace_edit.h"
#include "controls/grid/db_grid_popups.h"
#include "gui/popup_behavior.h"
#include "gui/popup_data_list.h"
#include "grid_test_support.h"
#include "platform/conversions.h"
#include "platform/date_time.h"

using namespace gridtest;

namespace {

class GridEditing : public GridTest {
protected:
  TVelaDBGridInplaceEdit* Editor() const { return static_cast<TVelaDBGridInplaceEdit*>(grid->InplaceEditor()); }
  void GoTo(const char* field) {
    grid->SetSelectedIndex(grid->GridColToColumnIndex(ColOf(field)));
    ASSERT_EQ(grid->SelectedField(), ideas->FieldByName(field));
  }
  void Save() { db->SaveDatasets({ideas.get()}); }
  // Goes to the first idea without a publication date.
  bool FindUndated() {
    for (ideas->First(); !ideas->Eof(); ideas->Next())
      if (ideas->FieldByName("PubDate")->IsNull()) return true;
    return false;
  }
};

TEST_F(GridEditing, TypedTextIsPostedOnMovingOffAndSaved) {
  Open();
  ASSERT_TRUE(Show());
  const int key = ideas->FieldByName("Key")->AsInteger();
  GoTo("Title");
  QTest::keyClicks(grid, "A new title");
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(ideas->State(), dsEdit);
  EXPECT_EQ(grid->EditBuffer(), "A new title");
  // Nothing is written before the row is left.
  EXPECT_NE(Current("Title"), "A new title");
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(ideas->RecNo(), 2);
  Save();
  EXPECT_EQ(OnDisk(key, "Title"), "A new title");
}

TEST_F(GridEditing, PostingKeepsTheEditedRecordCurrentInAFullWindow) {
  Open();
  ASSERT_TRUE(Show());
  ASSERT_GT(grid->DataLink()->BufferCount(), 5);
  ideas->MoveBy(2);
  const int key = ideas->FieldByName("Key")->AsInteger();
  GoTo("Subject");
  QTest::keyClicks(grid, "Zebra crossings");
  ideas->Post();
  EXPECT_EQ(ideas->FieldByName("Key")->AsInteger(), key);
  EXPECT_EQ(Current("Subject"), "Zebra crossings");
  EXPECT_EQ(grid->DataCellText(1, grid->DataLink()->ActiveRecord()), "Zebra crossings");
}

TEST_F(GridEditing, EscapeRestoresTheTextThenCancelsTheEdit) {
  Open();
  ASSERT_TRUE(Show());
  GoTo("Keywords");
  const std::string before = Current("Keywords");
  QTest::keyClicks(grid, "typed");
  ASSERT_EQ(ideas->State(), dsEdit);
  Key(Qt::Key_Escape);
  EXPECT_EQ(Current("Keywords"), before);
  EXPECT_EQ(grid->EditBuffer(), before);
  // The editor is gone; the dataset still edits until the next Escape.
  EXPECT_FALSE(grid->EditorMode());
  Key(Qt::Key_Escape);
  EXPECT_EQ(ideas->State(), dsBrowse);
  Key(Qt::Key_Down);
  EXPECT_EQ(ideas->State(), dsBrowse);
  ideas->First();
  EXPECT_EQ(Current("Keywords"), before);
}

TEST_F(GridEditing, AnInvalidDateIsRefusedAndTheRecordKept) {
  Open();
  ASSERT_TRUE(Show());
  ASSERT_TRUE(FindUndated());
  GoTo("PubDate");
  const int recno = ideas->RecNo();
  const std::string before = Current("PubDate");
  QTest::keyClicks(grid, "13/45/2001");
  Key(Qt::Key_Down);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("is not a valid date"), std::string::npos) << messages.shown[0];
  // Still on the record, still editing, the stored value untouched.
  EXPECT_EQ(ideas->RecNo(), recno);
  EXPECT_EQ(ideas->State(), dsEdit);
  EXPECT_EQ(Current("PubDate"), before);
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(Current("PubDate"), before);
}

TEST_F(GridEditing, FlagCheckBoxTogglesByClickAndSpace) {
  Open();
  ASSERT_TRUE(Show());
  const int flagCol = ColOf("Flag");
  const int key = ideas->FieldByName("Key")->AsInteger();
  ASSERT_FALSE(ideas->FieldByName("Flag")->AsBoolean());
  Click(flagCol, grid->TitleRows());
  EXPECT_EQ(ideas->State(), dsEdit);
  EXPECT_EQ(Current("Flag"), "True");
  EXPECT_FALSE(grid->EditorMode());
  // Clicking again writes ValueUnChecked, empty: the box is clear again.
  Click(flagCol, grid->TitleRows());
  EXPECT_NE(Current("Flag"), "True");
  EXPECT_FALSE(ideas->FieldByName("Flag")->AsBoolean());
  Key(Qt::Key_Space);
  EXPECT_EQ(Current("Flag"), "True");
  Key(Qt::Key_Down);
  Save();
  EXPECT_EQ(OnDisk(key, "Flag"), "True");
  // A read-only column does not toggle.
  grid->Columns()[0]->SetReadOnly(true);
  Key(Qt::Key_Space);
  EXPECT_EQ(ideas->State(), dsBrowse);
}

TEST_F(GridEditing, PubDateCalendarWritesThePickedDate) {
  Open();
  ASSERT_TRUE(Show());
  ideas->Locate("Subject", TVariant(std::string("Sourdough starter from scratch")), {});
  const int key = ideas->FieldByName("Key")->AsInteger();
  GoTo("PubDate");
  grid->ShowEditor();
  ASSERT_TRUE(grid->EditorMode());
  ASSERT_EQ(Editor()->EditStyle(), TVelaDBGridInplaceEdit::esCalendar);
  Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Editor()->ListVisible());
  TVelaPopupCalendar* calendar = Editor()->Calendar();
  ASSERT_TRUE(calendar->isVisible());
  EXPECT_EQ(calendar->Year(), 1998);
  EXPECT_EQ(calendar->Month(), 3);
  EXPECT_EQ(calendar->Day(), 9);
  // The editor keeps the focus while the calendar shows.
  EXPECT_TRUE(Editor()->hasFocus());
  // Pick the 20th of that month.
  QToolButton* twenty = nullptr;
  for (int n = 1; n <= TVelaCalendar::kDayButtons; ++n)
    if (calendar->DayButton(n)->text() == "20" && calendar->DayButton(n)->isEnabled() && n > 14) twenty = calendar->DayButton(n);
  ASSERT_NE(twenty, nullptr);
  QTest::mouseClick(twenty, Qt::LeftButton);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(Current("PubDate"), DateToStr(EncodeDate(1998, 3, 20)));
  EXPECT_EQ(ideas->State(), dsEdit);
  // Alt+Down opens, Alt+Down again accepts the shown date; Escape closes without writing.
  Key(Qt::Key_Down, Qt::AltModifier);
  calendar->SetDate(EncodeDate(2003, 6, 1));
  Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(Current("PubDate"), DateToStr(EncodeDate(2003, 6, 1)));
  Key(Qt::Key_Down, Qt::AltModifier);
  calendar->SetDate(EncodeDate(2010, 1, 1));
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(Current("PubDate"), DateToStr(EncodeDate(2003, 6, 1)));
  EXPECT_EQ(ideas->State(), dsEdit);  // the Escape stayed with the drop-down
  Key(Qt::Key_Down);
  Save();
  EXPECT_EQ(OnDisk(key, "PubDate"), DateToStr(EncodeDate(2003, 6, 1)));
}

TEST_F(GridEditing, CalendarOnAnEmptyDateStartsAtToday) {
  Open();
  ASSERT_TRUE(Show());
  ASSERT_TRUE(FindUndated());
  GoTo("PubDate");
  grid->ShowEditor();
  Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Editor()->ListVisible());
  EXPECT_EQ(Editor()->Calendar()->Date(), Date());
  Key(Qt::Key_Return);
  EXPECT_EQ(Current("PubDate"), DateToStr(Date()));
}

TEST_F(GridEditing, PickListSizesSearchesAndWritesTheValue) {
  Open();
  TVelaColumn* published = grid->Columns()[7];
  published->SetButtonStyle(cbsCombo);
  published->SetPickList({"Blog", "Guest post", "Magazine"});
  ASSERT_TRUE(Show());
  GoTo("Published");
  grid->ShowEditor();
  ASSERT_EQ(Editor()->EditStyle(), TVelaDBGridInplaceEdit::esPickList);
  Key(Qt::Key_Down, Qt::AltModifier);
  TPopupListbox* list = Editor()->PickList();
  ASSERT_TRUE(Editor()->ListVisible());
  EXPECT_EQ(list->count(), 3);
  EXPECT_EQ(list->height(), 3 * list->ItemHeight() + 4);
  // Typing searches in the list, not in the edit.
  int64_t now = 1000000;
  list->Clock = [&] { return now; };
  QTest::keyClicks(Editor(), "gu");
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_EQ(list->SearchText(), "gu");
  now += TPopupListbox::kSearchPauseMs + 1;
  QTest::keyClicks(Editor(), "m");
  EXPECT_EQ(list->SearchText(), "m");
  EXPECT_EQ(list->currentRow(), 2);
  Key(Qt::Key_Return);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(Current("Published"), "Magazine");
  // Twelve items and ten rows: ten rows high.
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.push_back("Item " + std::to_string(i));
  published->SetPickList(many);
  Key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(list->height(), 10 * list->ItemHeight() + 4);
  // A search text holds at most 32 characters.
  QTest::keyClicks(Editor(), QString(40, QChar('x')));
  EXPECT_EQ(list->SearchText().size(), 32u);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Editor()->ListVisible());
}

TEST_F(GridEditing, GroupLookupOpensOnTypingAndWritesTheCategory) {
  Open();
  ASSERT_TRUE(Show());
  ASSERT_TRUE(ideas->Locate("Subject", TVariant(std::string("Sourdough starter from scratch")), {}));
  const int key = ideas->FieldByName("Key")->AsInteger();
  ASSERT_EQ(Current("Group"), "Cooking");
  GoTo("Group");
  int drops = 0;
  std::vector<bool> closes;
  grid->BeforeDropDown = [&](TVelaCustomDBGrid*, TVelaColumn*) { ++drops; };
  grid->AfterCloseUp = [&](TVelaCustomDBGrid*, TVelaColumn*, bool accepted) { closes.push_back(accepted); };
  // Typing a letter opens the list and the letter searches in it.
  QTest::keyClicks(grid, "p");
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(Editor()->EditStyle(), TVelaDBGridInplaceEdit::esDataList);
  ASSERT_TRUE(Editor()->ListVisible());
  EXPECT_EQ(drops, 1);
  TPopupDataList* list = Editor()->DataList();
  EXPECT_EQ(list->SelectedItem(), "Photography");
  EXPECT_EQ(Editor()->text(), "Cooking");  // the edit itself is untouched
  Key(Qt::Key_Down);
  EXPECT_EQ(list->SelectedItem(), "Tech");
  Key(Qt::Key_Return);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(closes, std::vector<bool>{true});
  EXPECT_EQ(Current("Group"), "Tech");
  EXPECT_EQ(ideas->State(), dsEdit);
  // Escape closes the list without writing, and the key stays with the list.
  Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(Editor()->ListVisible());
  EXPECT_EQ(list->SelectedItem(), "Tech");
  Key(Qt::Key_Up);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Editor()->ListVisible());
  EXPECT_EQ(Current("Group"), "Tech");
  EXPECT_EQ(ideas->State(), dsEdit);
  Key(Qt::Key_Down);
  Save();
  EXPECT_EQ(OnDisk(key, "Group"), "Tech");
  // A closed group table: no drop-down, the plain text.
  groups->Close();
  ideas->First();
  GoTo("Group");
  grid->ShowEditor();
  EXPECT_EQ(Editor()->EditStyle(), TVelaDBGridInplaceEdit::esSimple);
}

TEST_F(GridEditing, AReadOnlyGridOrColumnDoesNotEdit) {
  Open();
  ASSERT_TRUE(Show());
  GoTo("Title");
  grid->Columns()[5]->SetReadOnly(true);
  QTest::keyClicks(grid, "x");
  EXPECT_EQ(ideas->State(), dsBrowse);
  grid->Columns()[5]->SetReadOnly(false);
  grid->SetReadOnly(true);
  QTest::keyClicks(grid, "x");
  EXPECT_EQ(ideas->State(), dsBrowse);
  grid->SetReadOnly(false);
  QTest::keyClicks(grid, "x");
  EXPECT_EQ(ideas->State(), dsEdit);
}

TEST_F(GridEditing, LeavingTheGridPostsAndDropsAnUntouchedInsert) {
  Open();
  int exits = 0;
  grid->OnExit = [&](TVelaCustomDBGrid*) { ++exits; };
  ASSERT_TRUE(Show());
  GoTo("Title");
  QTest::keyClicks(grid, "Posted on leaving");
  other->setFocus();
  EXPECT_EQ(Current("Title"), "Posted on leaving");
  EXPECT_EQ(exits, 1);
  grid->setFocus();
  Key(Qt::Key_Insert);
  ASSERT_EQ(ideas->State(), dsInsert);
  other->setFocus();
  EXPECT_EQ(ideas->State(), dsBrowse);
  EXPECT_EQ(exits, 2);
}

}  // namespace
