#include "gui/popup_data_list.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "dataset/field.h"
#include "gui/incremental_search.h"
#include "gui_test_support.h"
#include "tableengine/vela_database.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

// An edit that passes its keys to the list while it shows, as the list's
// owners do.
class ListOwner : public QLineEdit {
public:
  TPopupDataList* list = nullptr;

protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (list != nullptr && list->isVisible() && list->ForwardKey(event)) return;
    QLineEdit::keyPressEvent(event);
  }
};

// A group table file (CATEGORY String(15), CKEY Integer, NOTE String(20))
// written to a folder and opened again from it.
class PopupDataListTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<QWidget>();
    window->resize(300, 200);
    owner = new ListOwner();
    owner->setParent(window.get());
    owner->setGeometry(10, 10, 200, 24);
  }

  void WriteTable(const std::vector<std::string>& categories) {
    TVelaTable build;
    build.FieldDefs().Add("CATEGORY", ftString, 15);
    build.FieldDefs().Add("CKEY", ftInteger);
    build.FieldDefs().Add("NOTE", ftString, 20);
    build.Open();
    int key = 0;
    for (const std::string& c : categories) {
      build.Append();
      build.FieldByName("CATEGORY")->SetAsString(c);
      build.FieldByName("CKEY")->SetAsInteger(++key * 10);
      build.FieldByName("NOTE")->SetAsString("note " + c);
      build.Post();
    }
    build.SaveToFile(dir.filePath("group.d").toStdString());
  }

  // Opens the file and a list over it: CKEY key, CATEGORY shown.
  void OpenList(const std::vector<std::string>& categories, int rows = 4) {
    WriteTable(categories);
    db.SetDatabasePath(dir.path().toStdString());
    table.SetDatabase(&db);
    table.SetTableName("group.d");
    table.SetLoadMode(lmFile);
    table.Open();
    source.SetDataSet(&table);
    list = std::make_unique<TPopupDataList>(owner);
    owner->list = list.get();
    list->SetListSource(&source);
    list->SetKeyField("CKEY");
    list->SetListField("CATEGORY");
    list->SetRowCount(rows);
    list->resize(200, list->height());
  }

  bool ShowList() {
    if (!ShowActive(window.get())) return false;
    owner->setFocus();
    list->ShowBelow(owner);
    return QTest::qWaitForWindowExposed(list.get()) && owner->hasFocus();
  }

  std::string Current(const char* field) { return table.FieldByName(field)->AsString(); }

  QTemporaryDir dir;
  TVelaDatabase db;
  TVelaTable table;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  ListOwner* owner = nullptr;
  std::unique_ptr<TPopupDataList> list;
};

const std::vector<std::string> kGroups = {"Blogging", "Cooking", "Gardening", "Games", "History",
                                          "Logic",    "Music",   "Travel",    "Zoology"};

TEST_F(PopupDataListTest, ShowsItsWindowOfRowsAndSeveralListFields) {
  OpenList(kGroups, 4);
  EXPECT_EQ(list->FilledRows(), 4);
  EXPECT_EQ(list->RowText(0, 0), "Blogging");
  EXPECT_EQ(list->RowText(3, 0), "Games");
  EXPECT_EQ(list->RowText(4, 0), "");  // outside the window
  // The height holds RowCount rows and the frame; it follows the row count.
  const int fourRows = list->height();
  list->SetRowCount(6);
  EXPECT_EQ(list->FilledRows(), 6);
  EXPECT_EQ(list->height() - fourRows, 2 * list->RowHeight());

  list->SetListField("CATEGORY;NOTE");
  ASSERT_EQ(list->ListFields().size(), 2u);
  EXPECT_EQ(list->RowText(1, 1), "note Cooking");
  // A name the table lacks leaves no columns rather than failing.
  list->SetListField("CATEGORY;NOPE");
  EXPECT_TRUE(list->ListFields().empty());
  EXPECT_EQ(list->DisplayField(), nullptr);
}

TEST_F(PopupDataListTest, KeyValueLocatesTheRowAndNamesTheChoice) {
  OpenList(kGroups);
  list->SetKeyValue(TVariant(int32_t{50}));  // History
  EXPECT_TRUE(list->HasSelection());
  EXPECT_EQ(Current("CATEGORY"), "History");
  EXPECT_EQ(list->SelectedItem(), "History");
  EXPECT_EQ(list->RowText(list->ActiveRow(), 0), "History");

  list->SetListFieldIndex(1);  // no second field: the first is shown
  EXPECT_EQ(list->SelectedItem(), "History");

  list->SetKeyValue(TVariant(int32_t{55}));  // in no row
  EXPECT_FALSE(list->HasSelection());
  EXPECT_EQ(list->SelectedItem(), "");
  EXPECT_EQ(list->KeyValue().AsInteger(), 55);

  list->SetKeyValue(TVariant("not a number"));
  EXPECT_FALSE(list->HasSelection());
  list->SetKeyValue(TVariant());
  EXPECT_FALSE(list->HasSelection());
}

TEST_F(PopupDataListTest, KeysMoveTheChoiceAndTheKeyFollows) {
  OpenList(kGroups, 4);
  ASSERT_TRUE(ShowList());
  list->SetKeyValue(TVariant());
  // The first Down takes the row the cursor is on.
  QTest::keyClick(owner, Qt::Key_Down);
  EXPECT_EQ(list->SelectedItem(), "Blogging");
  QTest::keyClick(owner, Qt::Key_Down);
  EXPECT_EQ(list->SelectedItem(), "Cooking");
  EXPECT_EQ(list->KeyValue().AsInteger(), 20);
  QTest::keyClick(owner, Qt::Key_PageDown);  // rows - 1
  EXPECT_EQ(list->SelectedItem(), "History");
  QTest::keyClick(owner, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(list->SelectedItem(), "Zoology");
  EXPECT_EQ(list->KeyValue().AsInteger(), 90);
  EXPECT_EQ(list->ActiveRow(), 3);  // the window ends at the last row
  QTest::keyClick(owner, Qt::Key_PageUp);
  EXPECT_EQ(list->SelectedItem(), "Logic");
  QTest::keyClick(owner, Qt::Key_Up);
  EXPECT_EQ(list->SelectedItem(), "History");
  QTest::keyClick(owner, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(list->SelectedItem(), "Blogging");
  // Keys the list does not use reach the owner.
  QTest::keyClick(owner, Qt::Key_Home);
  EXPECT_TRUE(list->isVisible());
}

TEST_F(PopupDataListTest, TypingSearchesTheShownFieldIgnoringCase) {
  OpenList(kGroups, 4);
  ASSERT_TRUE(ShowList());
  QTest::keyClicks(owner, "ga");
  EXPECT_EQ(list->SearchText(), "ga");
  EXPECT_EQ(list->SelectedItem(), "Gardening");
  QTest::keyClick(owner, 'm');
  EXPECT_EQ(list->SearchText(), "gam");
  EXPECT_EQ(list->SelectedItem(), "Games");
  EXPECT_EQ(owner->text(), "");  // the characters were the list's
  // A character that matches nothing is dropped and the choice stays.
  QTest::keyClick(owner, 'x');
  EXPECT_EQ(list->SearchText(), "gam");
  EXPECT_EQ(list->SelectedItem(), "Games");
  // Backspace shortens the search text.
  QTest::keyClick(owner, Qt::Key_Backspace);
  EXPECT_EQ(list->SearchText(), "ga");
  QTest::keyClick(owner, 'r');
  EXPECT_EQ(list->SelectedItem(), "Gardening");
  // Showing the list again starts a new search.
  list->hide();
  list->ShowBelow(owner);
  EXPECT_EQ(list->SearchText(), "");
  QTest::keyClicks(owner, "Z");
  EXPECT_EQ(list->SelectedItem(), "Zoology");
}

TEST(IncrementalSearchTest, AppendsUpToTheLimitAndExpires) {
  TIncrementalSearch search(2000);
  EXPECT_TRUE(search.Add('a', 1000));
  EXPECT_TRUE(search.Add('b', 3000));  // exactly the expiry: still one text
  EXPECT_EQ(search.Text(), "ab");
  EXPECT_TRUE(search.Add('c', 5001));  // a longer pause starts over
  EXPECT_EQ(search.Text(), "c");
  for (int i = 0; i < 40; ++i) search.Add('x', 5001);
  EXPECT_EQ(search.Text().size(), static_cast<std::size_t>(TIncrementalSearch::kMaxLength));
  EXPECT_FALSE(search.Add('y', 5001));
  EXPECT_TRUE(search.RemoveLast());
  EXPECT_EQ(search.Text().size(), static_cast<std::size_t>(TIncrementalSearch::kMaxLength - 1));
  search.Clear();
  EXPECT_FALSE(search.RemoveLast());

  TIncrementalSearch neverExpires;  // no expiry
  neverExpires.Add('a', 0);
  neverExpires.Add('b', 1000000);
  EXPECT_EQ(neverExpires.Text(), "ab");
}

TEST_F(PopupDataListTest, MouseChoosesARowAndTheReleaseIsTheOwners) {
  OpenList(kGroups, 4);
  ASSERT_TRUE(ShowList());
  const int h = list->RowHeight();
  const QPoint third(20, list->contentsRect().top() + 2 * h + h / 2);
  EXPECT_EQ(list->RowAt(third), 2);

  // Without a handler a left release inside closes the list accepting.
  QSignalSpy closed(list.get(), &TPopupWindow::Closed);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, third);
  EXPECT_EQ(list->SelectedItem(), "Gardening");
  EXPECT_EQ(list->KeyValue().AsInteger(), 30);
  ASSERT_EQ(closed.count(), 1);
  EXPECT_TRUE(closed.at(0).at(0).toBool());
  EXPECT_FALSE(list->isVisible());

  // With one, the owner is told and decides.
  int releases = 0;
  QPoint releasedAt;
  list->OnMouseUp = [&](QWidget* sender, QMouseEvent* e) {
    EXPECT_EQ(sender, list.get());
    ++releases;
    releasedAt = e->position().toPoint();
  };
  list->ShowBelow(owner);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
  const QPoint first(20, list->contentsRect().top() + h / 2);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, first);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(releasedAt, first);
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->SelectedItem(), list->RowText(0, 0));
}

TEST_F(PopupDataListTest, ScrollBarFollowsTheCursorAndMovesIt) {
  OpenList(kGroups, 4);
  ASSERT_TRUE(ShowList());
  QScrollBar* bar = list->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), static_cast<int>(kGroups.size()) - 4);
  QTest::keyClick(owner, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(0);
  EXPECT_EQ(list->RowText(0, 0), "Blogging");
  bar->setValue(2);
  EXPECT_EQ(list->RowText(0, 0), "Gardening");
  bar->setValue(1);
  EXPECT_EQ(list->RowText(0, 0), "Cooking");
  EXPECT_TRUE(list->isVisible());

  // A list with fewer rows than it shows has no scroll bar.
  list->SetRowCount(12);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(list->FilledRows(), static_cast<int>(kGroups.size()));
}

TEST_F(PopupDataListTest, FollowsTheDatasetWhenItsRowsChange) {
  OpenList(kGroups, 4);
  list->SetKeyValue(TVariant(int32_t{20}));  // Cooking
  ASSERT_TRUE(list->HasSelection());
  // A filter that hides the chosen row leaves nothing chosen, and one that
  // brings it back chooses it again.
  table.OnFilterRecord = [](TDataSet* ds, bool& accept) {
    accept = ds->FieldByName("CATEGORY")->AsString().find('o') != std::string::npos;
  };
  table.SetFiltered(true);
  table.First();
  EXPECT_EQ(list->RowText(0, 0), "Blogging");
  table.OnFilterRecord = [](TDataSet* ds, bool& accept) {
    accept = ds->FieldByName("CATEGORY")->AsString() != "Cooking";
  };
  table.SetFiltered(false);
  table.SetFiltered(true);
  list->SetKeyValue(TVariant(int32_t{20}));
  EXPECT_FALSE(list->HasSelection());
  table.SetFiltered(false);
  list->SetKeyValue(TVariant(int32_t{20}));
  EXPECT_TRUE(list->HasSelection());
  // Closing the table empties the list.
  table.Close();
  EXPECT_FALSE(list->ListActive());
  EXPECT_EQ(list->FilledRows(), 0);
  EXPECT_EQ(list->SelectedItem(), "");
}

}  // namespace
