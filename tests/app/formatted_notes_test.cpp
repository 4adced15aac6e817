// Formatted notes on the Item page, with real clicks and keys: a note
// written as RTF shows formatted and stays RTF when edited; a plain note
// stays plain until the person formats it; Escape takes formatting back.
#include <gtest/gtest.h>

#include <QTest>
#include <QTextCursor>
#include <QToolButton>

#include "app_test_support.h"
#include "data_folder.h"
#include "dataset/field_types.h"
#include "gui/db_memo.h"
#include "gui/format_bar.h"
#include "gui/rich_text.h"
#include "platform/codepage.h"
#include "rtf/rtf_document.h"

namespace {

using namespace apptest;

class FormattedNotes : public ::testing::Test {
protected:
  void SetUp() override {
    window = OpenWindow(data);
    ASSERT_TRUE(ShowActive(window.get()));
    ClickTab(*window, 1);
    memo = window->DBnotes();
  }
  // Makes the idea with this subject current; returns its key.
  int Show(const std::string& subject) {
    EXPECT_TRUE(window->BlogI_()->Locate("Subject", TVariant(subject), {}));
    QCoreApplication::processEvents();
    return window->BlogI_Key()->AsInteger();
  }
  // Clicks into the memo and puts the cursor at the end of its text.
  void ClickToTheEnd() {
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  }
  DataFolder data;
  std::unique_ptr<TfrmBlog> window;
  TDBMemo* memo = nullptr;
};

TEST_F(FormattedNotes, AnRtfNoteShowsFormattedAndStaysRtfWhenEdited) {
  const int key = Show("Sourdough starter from scratch");
  EXPECT_EQ(memo->toPlainText(), "Day-by-day photos. Rye flour speeds it up.\nWhat smells are normal?\nWhen to throw it away");
  const TRtfDocument shown = RtfDocumentOf(*memo->document());
  ASSERT_EQ(shown.Paragraphs.size(), 3u);
  EXPECT_EQ(shown.Paragraphs[0].Runs[0].Text, "Day-by-day photos.");
  EXPECT_TRUE(shown.Paragraphs[0].Runs[0].Format.Bold);
  EXPECT_TRUE(shown.Paragraphs[0].Runs[2].Format.Italic);
  EXPECT_FALSE(shown.Paragraphs[0].Bullet);
  EXPECT_TRUE(shown.Paragraphs[1].Bullet && shown.Paragraphs[2].Bullet);
  EXPECT_EQ(shown.Paragraphs[2].Runs[0].Format.Color, 0xC00000);
  // The buttons tell what is at the cursor.
  QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, memo->cursorRect(QTextCursor(memo->document())).center());
  QTest::keyClick(memo, Qt::Key_Right);
  TFormatBar* bar = window->FormatBar();
  EXPECT_TRUE(bar->BoldButton()->isChecked());
  EXPECT_FALSE(bar->ListButton()->isChecked());
  QTest::keyClick(memo, Qt::Key_Down);
  EXPECT_TRUE(bar->ListButton()->isChecked());

  ClickToTheEnd();
  // Undo has nothing to take back yet: showing the note is no edit.
  QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(RtfDocumentOf(*memo->document()), shown);
  QTest::keyClicks(memo, " soon");
  ClickToolButton(*window, window->SaveButton());
  const std::string stored = IdeaOnDisk(data, key).at("Notes");
  ASSERT_TRUE(LooksLikeRtf(stored)) << stored;
  TRtfDocument expected = shown;
  expected.Paragraphs[2].Runs.back().Text += " soon";
  EXPECT_EQ(ReadRtf(stored), expected) << stored;
}

TEST_F(FormattedNotes, APlainNoteStaysPlainUntilFormattedAndEscapeTakesFormattingBack) {
  const int key = Show("Repairing a wobbly chair");
  const std::string plain = IdeaOnDisk(data, key).at("Notes");
  ASSERT_FALSE(LooksLikeRtf(plain));
  EXPECT_FALSE(memo->Formatted());

  // Formatted with Ctrl+B, then Escape: back to the plain note.
  ClickToTheEnd();
  QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(memo, Qt::Key_B, Qt::ControlModifier);
  EXPECT_TRUE(memo->Formatted());
  QTest::keyClick(memo, Qt::Key_Escape);
  EXPECT_FALSE(memo->Formatted());
  EXPECT_EQ(memo->Text(), plain);

  // Typing keeps it plain; the Bold and List buttons make it RTF.
  ClickToTheEnd();
  QTest::keyClicks(memo, " Glue first.");
  EXPECT_FALSE(memo->Formatted());
  QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
  QTest::mouseClick(window->FormatBar()->BoldButton(), Qt::LeftButton);
  QTest::mouseClick(window->FormatBar()->ListButton(), Qt::LeftButton);
  EXPECT_TRUE(window->FormatBar()->BoldButton()->isChecked());
  ClickToolButton(*window, window->SaveButton());
  const std::string stored = IdeaOnDisk(data, key).at("Notes");
  ASSERT_TRUE(LooksLikeRtf(stored)) << stored;
  const TRtfDocument doc = ReadRtf(stored);
  EXPECT_EQ(doc.PlainText(), AnsiToUtf8(plain) + " Glue first.");
  for (const TRtfParagraph& p : doc.Paragraphs) {
    EXPECT_TRUE(p.Bullet);
    for (const TRtfRun& r : p.Runs) EXPECT_TRUE(r.Format.Bold) << r.Text;
  }
}

}  // namespace
