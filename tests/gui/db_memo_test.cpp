// The memo against the framework's test dataset, whose BLOB streams keep
// the written content as the record's pending value until Post.
#include "gui/db_memo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "../dataset/test_dataset.h"
#include "data_controls_support.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

// Reading a note fails for the record whose ID is unreadable.
class TNotesDataSet : public TTestDataSet {
public:
  TNotesDataSet() : TTestDataSet({{"ID", ftInteger}, {"Notes", ftMemo}, {"Title", ftString, 30}}) { SetName("Notes"); }
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override {
    ++streams;
    if (FieldByName("ID")->AsInteger() == unreadable) DatabaseError("BLOB block damaged", this);
    return TTestDataSet::CreateBlobStream(field, mode);
  }
  int unreadable = -1;
  int streams = 0;
};

class DBMemoTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous = SetMessageService(&messages);
    data.AddRow({1, "First line\r\nSecond line", "One"});
    data.AddRow({2, TVariant(), "Two"});
    data.AddRow({3, "Bare\rreturn\nand feed", "Three"});
    data.Open();
    source.SetDataSet(&data);
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(other);
    memo = new TDBMemo(window.get());
    memo->SetDataSource(&source);
    memo->SetDataField("Notes");
    layout->addWidget(memo);
    ASSERT_TRUE(ShowActive(window.get()));
  }
  void TearDown() override {
    window.reset();
    SetMessageService(previous);
  }
  void FocusAtEnd() {
    memo->setFocus(Qt::TabFocusReason);
    memo->moveCursor(QTextCursor::End);
  }

  dctest::RecordingMessages messages;
  TMessageService* previous = nullptr;
  TNotesDataSet data;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  QLineEdit* other = nullptr;
  TDBMemo* memo = nullptr;
};

TEST_F(DBMemoTest, ShowsTheNotesLineByLineAndFollowsTheCursor) {
  EXPECT_EQ(memo->toPlainText(), "First line\nSecond line");
  EXPECT_EQ(memo->Text(), "First line\r\nSecond line");
  EXPECT_TRUE(memo->MemoLoaded());
  EXPECT_FALSE(memo->isReadOnly());
  data.Next();
  EXPECT_EQ(memo->toPlainText(), "");
  data.Next();
  EXPECT_EQ(memo->toPlainText(), "Bare\nreturn\nand feed");
  EXPECT_GT(data.streams, 0);
}

TEST_F(DBMemoTest, TypingEditsAndLeavingWritesThroughTheBlobStream) {
  FocusAtEnd();
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "Third ");
  QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(QChar(0xE9)), Qt::NoModifier);
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_EQ(data.StoredBlob(0, 1), "First line\r\nSecond line");
  QTest::keyClick(memo, Qt::Key_Tab);  // Tab leaves the memo
  EXPECT_TRUE(other->hasFocus());
  data.Post();
  EXPECT_EQ(data.StoredBlob(0, 1), "First line\r\nSecond line\r\nThird \xE9");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DBMemoTest, PostingTakesTheNotesStillBeingTyped) {
  data.Next();
  FocusAtEnd();
  QTest::keyClicks(memo, "New note");
  data.Next();
  EXPECT_EQ(data.StoredBlob(1, 1), "New note");
  EXPECT_EQ(memo->toPlainText(), "Bare\nreturn\nand feed");
}

TEST_F(DBMemoTest, EmptyingTheMemoEmptiesTheField) {
  FocusAtEnd();
  memo->selectAll();
  QTest::keyClick(memo, Qt::Key_Delete);
  EXPECT_EQ(memo->toPlainText(), "");
  data.Post();
  EXPECT_EQ(data.StoredBlob(0, 1), "");
}

TEST_F(DBMemoTest, EscapeThrowsTheChangeAway) {
  FocusAtEnd();
  QTest::keyClicks(memo, " and more");
  QTest::keyClick(memo, Qt::Key_Escape);
  EXPECT_EQ(memo->toPlainText(), "First line\nSecond line");
  data.Post();
  EXPECT_EQ(data.StoredBlob(0, 1), "First line\r\nSecond line");
}

TEST_F(DBMemoTest, PasteEditsTheDatasetAndKeepsWhatThePastedTextHolds) {
  FocusAtEnd();
  QApplication::clipboard()->setText(QString::fromUtf8(" pasted \xE2\x82\xAC \xE2\x86\x92"));  // € fits, → does not
  QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(data.State(), dsEdit);
  data.Post();
  EXPECT_EQ(data.StoredBlob(0, 1), "First line\r\nSecond line pasted \x80 ?");
}

TEST_F(DBMemoTest, AltGrCharactersAreCheckedLikeAnyTypedOne) {
  // On Windows AltGr arrives as Ctrl+Alt, and the editor types its text.
  const Qt::KeyboardModifiers altGr = Qt::ControlModifier | Qt::AltModifier;
  FocusAtEnd();
  QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_A, QString(QChar(0x0105)), altGr);  // no such letter in the code page
  QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_E, QString(QChar(0x20AC)), altGr);  // the euro sign
  EXPECT_EQ(memo->toPlainText(), QString::fromUtf8("First line\nSecond line\u20ac"));
  data.Post();
  EXPECT_EQ(data.StoredBlob(0, 1), "First line\r\nSecond line\x80");
}

TEST_F(DBMemoTest, UnreadableNotesStayReadOnlyAndAreReported) {
  data.unreadable = 2;
  data.Next();
  EXPECT_FALSE(memo->MemoLoaded());
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->toPlainText(), "");
  // The move itself went through; the failure is told afterwards.
  EXPECT_EQ(data.FieldByName("ID")->AsInteger(), 2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }));
  EXPECT_EQ(messages.shown[0], "E:Notes: BLOB block damaged");
  FocusAtEnd();
  QTest::keyClicks(memo, "overwrite");
  EXPECT_EQ(data.State(), dsBrowse);
  data.Next();
  EXPECT_TRUE(memo->MemoLoaded());
  EXPECT_FALSE(memo->isReadOnly());
}

TEST_F(DBMemoTest, OtherFieldsGoThroughTheirText) {
  memo->SetDataField("Title");
  EXPECT_EQ(memo->toPlainText(), "One");
  FocusAtEnd();
  QTest::keyClicks(memo, "!");
  QTest::keyClick(memo, Qt::Key_Tab);
  EXPECT_EQ(data.FieldByName("Title")->AsString(), "One!");
}

// The same through the engine's own BLOB streams.
TEST(DBMemoEngineTest, WritesAndEmptiesTheEnginesNotes) {
  dctest::RecordingMessages messages;
  TMessageService* previous = SetMessageService(&messages);
  TVelaTable table;
  table.SetName("Ideas");
  table.FieldDefs().Add("Subject", ftString, 20);
  table.FieldDefs().Add("Notes", ftFmtMemo);
  table.Open();
  table.AppendRecord({TVariant("One"), TVariant("Line 1\r\nLine 2")});
  table.First();
  TDataSource source;
  source.SetDataSet(&table);
  {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* memo = new TDBMemo(&window);
    layout->addWidget(other);
    layout->addWidget(memo);
    memo->SetDataSource(&source);
    memo->SetDataField("Notes");
    ASSERT_TRUE(ShowActive(&window));
    EXPECT_EQ(memo->toPlainText(), "Line 1\nLine 2");
    memo->setFocus(Qt::TabFocusReason);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "Line 3");
    QTest::keyClick(memo, Qt::Key_Tab);
    table.Post();
    EXPECT_EQ(table.FieldByName("Notes")->AsString(), "Line 1\r\nLine 2\r\nLine 3");

    memo->setFocus(Qt::TabFocusReason);
    memo->selectAll();
    QTest::keyClick(memo, Qt::Key_Backspace);
    table.Post();
    EXPECT_TRUE(table.FieldByName("Notes")->IsNull());
    EXPECT_EQ(memo->toPlainText(), "");
  }
  EXPECT_TRUE(messages.shown.empty());
  SetMessageService(previous);
}

}  // namespace
