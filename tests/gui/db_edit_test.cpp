#include "gui/db_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "data_controls_support.h"
#include "gui_test_support.h"

using namespace notarra;

namespace {

using dctest::DataForm;

class DBEditTest : public DataForm {
protected:
  // The edit on field, shown, with the focus in it.
  TDBEdit* Focused(const std::string& field) {
    TDBEdit* edit = Add<TDBEdit>(field);
    EXPECT_TRUE(Show());
    edit->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(edit->hasFocus());
    return edit;
  }
  static void Retype(TDBEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  static void TabAway(TDBEdit* edit) { QTest::keyClick(edit, Qt::Key_Tab); }
};

TEST_F(DBEditTest, ShowsTheCurrentRecordAndFollowsTheCursor) {
  OpenSample();
  TDBEdit* edit = Add<TDBEdit>("Subject");
  EXPECT_EQ(edit->Field(), table.FieldByName("Subject"));
  EXPECT_EQ(edit->Text(), "Alpha");
  EXPECT_FALSE(edit->isReadOnly());
  table.Next();
  EXPECT_EQ(edit->Text(), "Beta");
  edit->SetDataField("Count");
  EXPECT_EQ(edit->Text(), "2");
  table.Close();
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(edit->Field(), nullptr);
  EXPECT_TRUE(edit->isReadOnly());
}

TEST_F(DBEditTest, TypingEditsTheDatasetAndLeavingWritesTheField) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  Retype(edit, "Delta");
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(edit->Text(), "Delta");
  // Nothing is written while the edit keeps the focus...
  EXPECT_EQ(Stored("Subject"), "Alpha");
  TabAway(edit);
  EXPECT_TRUE(other->hasFocus());
  // ...and leaving writes the text into the record being edited.
  EXPECT_EQ(Stored("Subject"), "Delta");
  EXPECT_EQ(table.State(), dsEdit);
  table.Post();
  table.First();
  EXPECT_EQ(Stored("Subject"), "Delta");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DBEditTest, PostingTakesTheTextStillBeingTyped) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  Retype(edit, "Typed");
  table.Next();  // moving on posts the record with the edit's text
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(edit->Text(), "Beta");
  table.First();
  EXPECT_EQ(Stored("Subject"), "Typed");
}

TEST_F(DBEditTest, EnterWritesTheTextAndKeepsTheFocus) {
  OpenSample();
  TDBEdit* edit = Focused("Count");
  Retype(edit, "+42");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(table.FieldByName("Count")->AsInteger(), 42);
  // The edit shows what the field made of the text.
  EXPECT_EQ(edit->Text(), "42");
}

TEST_F(DBEditTest, EscapeThrowsTheChangeAway) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  Retype(edit, "Wrong");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->Text(), "Alpha");
  TabAway(edit);
  EXPECT_EQ(Stored("Subject"), "Alpha");
  EXPECT_FALSE(table.FieldByName("Subject")->Modified());
}

TEST_F(DBEditTest, StringFieldsLimitTheLength) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  Retype(edit, "abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(edit->Text(), "abcdefghijklmnopqrst");
  edit->SetMaxLength(5);
  Retype(edit, "123456789");
  EXPECT_EQ(edit->Text(), "12345");
  TabAway(edit);
  EXPECT_EQ(Stored("Subject"), "12345");
}

TEST_F(DBEditTest, RefusesCharactersTheFieldDoesNotTake) {
  OpenSample();
  TDBEdit* edit = Focused("Count");
  Retype(edit, "1x2!3");
  EXPECT_EQ(edit->Text(), "123");
}

TEST_F(DBEditTest, TextTheFieldCannotTakeIsShownAndTheFocusKept) {
  OpenSample();
  TDBEdit* edit = Focused("Day");
  const std::string before = Stored("Day");
  Retype(edit, "13/45/2020");
  TabAway(edit);
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "E:'13/45/2020' is not a valid date");
  // The user's text stays for correcting; the field is untouched.
  EXPECT_EQ(edit->Text(), "13/45/2020");
  EXPECT_EQ(Stored("Day"), before);
  Retype(edit, "12/24/2020");
  TabAway(edit);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_EQ(table.FieldByName("Day")->AsDateTime(), EncodeDate(2020, 12, 24));
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(DBEditTest, FocusShowsTheEditFormAndLeavingTheDisplayForm) {
  OpenSample();
  table.FieldByName("Day")->SetDisplayFormat("yyyy-mm-dd");
  TDBEdit* edit = Add<TDBEdit>("Day");
  ASSERT_TRUE(Show());
  EXPECT_EQ(edit->EditText(), "2020-01-02");
  edit->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(edit->Text(), table.FieldByName("Day")->Text());
  EXPECT_NE(edit->Text(), "2020-01-02");
  TabAway(edit);
  EXPECT_EQ(edit->EditText(), "2020-01-02");
  EXPECT_EQ(table.State(), dsBrowse);
}

TEST_F(DBEditTest, FieldEditMaskIsFollowedAndChecked) {
  OpenSample();
  table.FieldByName("Code")->SetEditMask(">L00;1;_");
  TDBEdit* edit = Focused("Code");
  EXPECT_TRUE(edit->IsMasked());
  EXPECT_EQ(edit->EditText(), "A1_");
  edit->selectAll();
  QTest::keyClicks(edit, "b2");
  EXPECT_EQ(edit->EditText(), "B2_");
  TabAway(edit);
  ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "E:Invalid input value. Use escape key to abandon changes");
  EXPECT_EQ(Stored("Code"), "A1");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->EditText(), "A1_");
  edit->selectAll();
  QTest::keyClicks(edit, "c34");
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(Stored("Code"), "C34");
  TabAway(edit);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(DBEditTest, ReadOnlyEditLeavesTheFieldAlone) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  edit->SetReadOnly(true);
  EXPECT_TRUE(edit->isReadOnly());
  QTest::keyClicks(edit, "zz");
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->Text(), "Alpha");
  EXPECT_EQ(table.State(), dsBrowse);
  edit->SetReadOnly(false);
  EXPECT_FALSE(edit->isReadOnly());
}

TEST_F(DBEditTest, ReadOnlyWhenTheDatasetCannotBeModified) {
  OpenSample();
  table.SetReadOnly(true);
  TDBEdit* edit = Focused("Subject");
  EXPECT_TRUE(edit->isReadOnly());
  QTest::keyClicks(edit, "zz");
  EXPECT_EQ(edit->Text(), "Alpha");
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DBEditTest, WithoutAutoEditTypingNeedsAnEditFirst) {
  OpenSample();
  source.SetAutoEdit(false);
  TDBEdit* edit = Focused("Subject");
  QTest::keyClicks(edit, "zz");
  EXPECT_EQ(edit->Text(), "Alpha");
  EXPECT_EQ(table.State(), dsBrowse);
  table.Edit();
  edit->end(false);
  QTest::keyClicks(edit, "zz");
  EXPECT_EQ(edit->Text(), "Alphazz");
}

TEST_F(DBEditTest, ChangeMadeWithoutKeysStillEditsTheDataset) {
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  // As the context menu's Paste does: the text changes first.
  edit->selectAll();
  edit->insert("Pasted");
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(edit->Text(), "Pasted");
  TabAway(edit);
  EXPECT_EQ(Stored("Subject"), "Pasted");
}

TEST_F(DBEditTest, PasteFromTheMenuIntoAMaskedEditEditsTheDatasetAndIsPosted) {
  OpenSample();
  table.FieldByName("Code")->SetEditMask(">L00;1;_");
  TDBEdit* edit = Focused("Code");
  edit->selectAll();
  QGuiApplication::clipboard()->setText("b-23x");
  ASSERT_TRUE(ClickContextMenuEntry(edit, "Paste"));
  // Through the mask: the refused "-" dropped, what finds no place cut.
  EXPECT_EQ(edit->EditText(), "B23");
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_TRUE(edit->hasFocus());
  table.Post();
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(Stored("Code"), "B23");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DBEditTest, TextRefusedWhenItsPageIsSwitchedAwayWaitsThere) {
  OpenSample();
  auto* pages = new QTabWidget(window.get());
  layout->addWidget(pages);
  auto* first = new QWidget;
  auto* edit = new TDBEdit(first);
  (new QVBoxLayout(first))->addWidget(edit);
  edit->SetDataSource(&source);
  edit->SetDataField("Day");
  auto* second = new QWidget;
  auto* plain = new QLineEdit(second);
  (new QVBoxLayout(second))->addWidget(plain);
  pages->addTab(first, "First");
  pages->addTab(second, "Second");
  ASSERT_TRUE(Show());
  const std::string before = Stored("Day");
  edit->setFocus(Qt::MouseFocusReason);
  Retype(edit, "13/45/2020");
  QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
  ASSERT_EQ(pages->currentIndex(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.shown[0], "E:'13/45/2020' is not a valid date");
  // The hidden edit does not take the keyboard: typing and clicking on the
  // page in front go on there, without the error again.
  QTest::mouseClick(plain, Qt::LeftButton);
  QTest::qWait(20);
  ASSERT_TRUE(plain->hasFocus());
  QTest::keyClicks(QApplication::focusWidget(), "abc");
  EXPECT_EQ(plain->text(), "abc");
  EXPECT_EQ(messages.shown.size(), 1u);
  // The refused text waits in its edit, the field untouched, for correcting.
  EXPECT_EQ(edit->Text(), "13/45/2020");
  EXPECT_EQ(Stored("Day"), before);
  QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(0).center());
  edit->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(edit->Text(), "13/45/2020");
  Retype(edit, "12/24/2020");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(table.FieldByName("Day")->AsDateTime(), EncodeDate(2020, 12, 24));
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(DBEditTest, DataSourceGoingAwayLeavesAnEmptyEdit) {
  OpenSample();
  auto temporary = std::make_unique<TDataSource>();
  temporary->SetDataSet(&table);
  TDBEdit* edit = Add<TDBEdit>("Subject");
  edit->SetDataSource(temporary.get());
  EXPECT_EQ(edit->Text(), "Alpha");
  temporary.reset();
  EXPECT_EQ(edit->DataSource(), nullptr);
  EXPECT_EQ(edit->Text(), "");
  EXPECT_TRUE(edit->isReadOnly());
  table.Next();  // no notice reaches the edit any more
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(DBEditTest, AltGrCharactersAreCheckedLikeAnyTypedOne) {
  // On Windows AltGr arrives as Ctrl+Alt, and the editor types its text.
  const Qt::KeyboardModifiers altGr = Qt::ControlModifier | Qt::AltModifier;
  OpenSample();
  TDBEdit* edit = Focused("Subject");
  edit->end(false);
  QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_A, QString(QChar(0x0105)), altGr);  // no such letter in the code page
  QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_E, QString(QChar(0x20AC)), altGr);  // the euro sign
  EXPECT_EQ(edit->Text(), "Alpha\x80");
  TabAway(edit);
  EXPECT_EQ(Stored("Subject"), "Alpha\x80");

  // A masked edit takes it into its next position and edits the dataset.
  table.Post();
  table.FieldByName("Code")->SetEditMask("ccc;1;_");
  edit->SetDataField("Code");
  edit->setFocus(Qt::TabFocusReason);
  edit->selectAll();
  QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Q, QString("@"), altGr);
  EXPECT_EQ(edit->EditText(), "@__");
  EXPECT_EQ(table.State(), dsEdit);
  QTest::keyClicks(edit, "12");
  TabAway(edit);
  EXPECT_EQ(Stored("Code"), "@12");
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
