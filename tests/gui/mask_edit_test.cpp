#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "gui/mask_edit.h"
#include "gui_test_support.h"
#include "platform/format_settings.h"
#include "platform/services.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <vector>

using namespace notarra;

TEST(EditMaskTest, ParsesFieldsLiteralsAndCase) {
  const TEditMask phone("(000) 000-0000;0;*");
  EXPECT_EQ(phone.Length(), 14);
  EXPECT_FALSE(phone.SaveLiterals());
  EXPECT_EQ(phone.Blank(), '*');
  EXPECT_TRUE(phone.At(0).literal);
  EXPECT_FALSE(phone.At(1).literal);
  EXPECT_TRUE(phone.At(1).required);
  EXPECT_EQ(phone.Format("555123"), "(555) 123-****");

  const TEditMask code(">LL<ll\\0;1");
  EXPECT_TRUE(code.SaveLiterals());
  EXPECT_EQ(code.Blank(), '_');
  EXPECT_EQ(code.Length(), 5);
  EXPECT_TRUE(code.At(4).literal);
  EXPECT_EQ(code.At(4).ch, '0');
  char c = 0;
  EXPECT_TRUE(code.Accepts(0, 'x', c));
  EXPECT_EQ(c, 'X');
  EXPECT_TRUE(code.Accepts(2, '\xC9', c));  // É
  EXPECT_EQ(c, '\xE9');
  EXPECT_FALSE(code.Accepts(1, '5', c));

  const TEditMask digits("9#;0");
  EXPECT_TRUE(digits.Accepts(1, '-', c));
  EXPECT_FALSE(digits.Accepts(0, '-', c));
  EXPECT_FALSE(digits.At(0).required);
}

TEST(EditMaskTest, SeparatorsComeFromTheFormatSettings) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings().DateSeparator = '.';
  FormatSettings().TimeSeparator = '-';
  const TEditMask date("!99/99/0000 90:00;1;_");
  FormatSettings() = saved;
  EXPECT_EQ(date.Format(""), "__.__.____ __-__");
  EXPECT_EQ(date.Format("01.02.2024 10-30"), "01.02.2024 10-30");
  EXPECT_EQ(date.Unformat("01.02.2024 1_-30"), "01.02.2024 1 -30");
  EXPECT_EQ(date.FirstInvalid("01.02.20_4 10-30"), 8);
  // "9" may stay blank, "0" may not.
  EXPECT_EQ(date.FirstInvalid("__.__.2024 __-30"), 12);
  EXPECT_EQ(date.FirstInvalid("__.__.2024 _5-30"), -1);
  EXPECT_EQ(date.FirstInvalid("__.__.2024 _5-3_"), 15);
}

namespace {

class MaskEditTest : public testing::Test {
protected:
  void SetUp() override {
    edit = std::make_unique<TCustomMaskEdit>();
    ASSERT_TRUE(ShowActive(edit.get()));
    edit->setFocus();
  }
  std::unique_ptr<TCustomMaskEdit> edit;
};

}  // namespace

TEST_F(MaskEditTest, TypingFillsPositionsAndSkipsLiterals) {
  edit->SetEditMask("(000) 000-0000;0;_");
  EXPECT_EQ(edit->EditText(), "(___) ___-____");
  QTest::keyClicks(edit.get(), "555x1234567");
  EXPECT_EQ(edit->EditText(), "(555) 123-4567");
  EXPECT_EQ(edit->Text(), "5551234567");
  EXPECT_TRUE(edit->Modified());
  edit->ValidateEdit();  // complete: nothing raised
}

TEST_F(MaskEditTest, CaseConversionAndSavedLiterals) {
  edit->SetEditMask(">LL<LL-00;1;_");
  QTest::keyClicks(edit.get(), "abCD-42");
  EXPECT_EQ(edit->EditText(), "ABcd-42");
  EXPECT_EQ(edit->Text(), "ABcd-42");
  edit->SetText("XYzw-77");
  EXPECT_EQ(edit->EditText(), "XYzw-77");
}

TEST_F(MaskEditTest, BackspaceAndDeleteBlankPositions) {
  edit->SetEditMask("00:00;1;_");
  QTest::keyClicks(edit.get(), "1234");
  QTest::keyClick(edit.get(), Qt::Key_Backspace);
  QTest::keyClick(edit.get(), Qt::Key_Backspace);
  EXPECT_EQ(edit->EditText(), "12" + std::string(1, FormatSettings().TimeSeparator) + "__");
  QTest::keyClick(edit.get(), Qt::Key_Home);
  QTest::keyClick(edit.get(), Qt::Key_Delete);
  EXPECT_EQ(edit->EditText().substr(0, 2), "_2");
  EXPECT_EQ(edit->Text(), " 2" + std::string(1, FormatSettings().TimeSeparator) + "  ");
}

TEST_F(MaskEditTest, IncompleteTextFailsValidationAndEscapeRestores) {
  edit->SetEditMask("0000;0;_");
  edit->SetText("2024");
  QTest::keyClick(edit.get(), Qt::Key_Home);
  QTest::keyClick(edit.get(), Qt::Key_Delete);
  try {
    edit->ValidateEdit();
    ADD_FAILURE() << "nothing raised";
  } catch (const EDBEditError& e) {
    EXPECT_EQ(e.Message(), "Invalid input value. Use escape key to abandon changes");
  }
  EXPECT_EQ(edit->cursorPosition(), 0);
  QTest::keyClick(edit.get(), Qt::Key_Escape);
  EXPECT_EQ(edit->Text(), "2024");
  EXPECT_FALSE(edit->Modified());
}

TEST_F(MaskEditTest, OptionalPositionsMayStayEmpty) {
  edit->SetEditMask("!9999;0;_");
  edit->SetText("42");
  EXPECT_EQ(edit->EditText(), "__42");
  edit->ValidateEdit();
}

TEST_F(MaskEditTest, WithoutMaskItIsAPlainEditWithALimit) {
  edit->SetMaxLength(5);
  QTest::keyClicks(edit.get(), "abcdefgh");
  EXPECT_EQ(edit->Text(), "abcde");
  EXPECT_EQ(edit->EditText(), "abcde");
  edit->SetText("Caf\xE9");
  EXPECT_EQ(edit->text(), QString::fromUtf8("Caf\u00e9"));
  EXPECT_EQ(edit->Text(), "Caf\xE9");
}

namespace {

class CollectErrors : public TConsoleMessageService {
public:
  void Error(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> errors;
};

}  // namespace

TEST(MaskEditExitTest, LeavingAnIncompleteEditShowsTheErrorAndKeepsTheFocus) {
  QWidget form;
  auto* masked = new TCustomMaskEdit(&form);
  auto* other = new QLineEdit(&form);
  other->move(0, 40);
  masked->SetEditMask("00/00;1;_");
  ASSERT_TRUE(ShowActive(&form));
  masked->setFocus();
  CollectErrors errors;
  TMessageService* previous = SetMessageService(&errors);
  QTest::keyClicks(masked, "12");
  other->setFocus(Qt::TabFocusReason);
  QTest::qWait(20);
  EXPECT_TRUE(masked->hasFocus());
  ASSERT_EQ(errors.errors.size(), 1u);
  EXPECT_EQ(errors.errors[0], "Invalid input value. Use escape key to abandon changes");

  // Complete, it lets the focus go.
  QTest::keyClicks(masked, "34");
  other->setFocus(Qt::TabFocusReason);
  QTest::qWait(20);
  EXPECT_TRUE(other->hasFocus());
  EXPECT_EQ(errors.errors.size(), 1u);
  SetMessageService(previous);
}

// Paste, drop, input methods and the line-deleting keys go through the mask
// as typed keys do, and count as the user's change.
namespace {

// Asked before every change, refusing what the test says.
class GuardedMaskEdit : public TCustomMaskEdit {
public:
  bool allowChange = true;
  char refusedChar = 0;
  int changes = 0;

protected:
  bool EditCanModify() override { return allowChange; }
  bool EditCanAcceptChar(char c) override { return c != refusedChar; }
  void Changed() override {
    ++changes;
    TCustomMaskEdit::Changed();
  }
};

class MaskEditInputTest : public testing::Test {
protected:
  void SetUp() override {
    edit = std::make_unique<GuardedMaskEdit>();
    edit->resize(200, edit->sizeHint().height());
    ASSERT_TRUE(ShowActive(edit.get()));
    edit->setFocus();
    edit->SetEditMask("(000) 000-0000;0;_");
  }
  static void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
  void Drop(const QString& text) {
    QMimeData data;
    data.setText(text);
    const QPoint at(2, edit->height() / 2);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    // A drop reaches the widget that accepted the drag's entering.
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.get(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.get(), &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(edit.get(), &drop);
    lastDropAction = drop.dropAction();
    lastDropAccepted = drop.isAccepted();
  }
  void Commit(const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(edit.get(), &event);
  }
  std::unique_ptr<GuardedMaskEdit> edit;
  Qt::DropAction lastDropAction = Qt::IgnoreAction;
  bool lastDropAccepted = false;
};

}  // namespace

TEST_F(MaskEditInputTest, PasteKeyFillsPositionsDropsRefusedCharactersAndCuts) {
  SetClipboard("(555) 12x3-4567 999");
  QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->EditText(), "(555) 123-4567");
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(edit->changes, 1);  // one change for the whole text

  // Into a selection: blanked first, then filled from its start.
  edit->setSelection(6, 8);
  SetClipboard("8");
  QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->EditText(), "(555) 8__-____");
  EXPECT_EQ(edit->cursorPosition(), 7);
}

TEST_F(MaskEditInputTest, ContextMenuPasteAndDeleteKeepTheLayout) {
  SetClipboard("55a51234");
  ASSERT_TRUE(ClickContextMenuEntry(edit.get(), "Paste"));
  EXPECT_EQ(edit->EditText(), "(555) 123-4___");
  EXPECT_EQ(edit->changes, 1);
  EXPECT_TRUE(edit->Modified());

  edit->setSelection(2, 4);  // "55) "
  ASSERT_TRUE(ClickContextMenuEntry(edit.get(), "Delete"));
  EXPECT_EQ(edit->EditText(), "(5__) 123-4___");
  edit->setSelection(0, 14);
  ASSERT_TRUE(ClickContextMenuEntry(edit.get(), "Cut"));
  EXPECT_EQ(edit->EditText(), "(___) ___-____");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "(5__) 123-4___");
  EXPECT_EQ(edit->changes, 3);
}

TEST_F(MaskEditInputTest, DroppedTextGoesThroughTheMaskAndIsCopied) {
  Drop("555-9x87");
  EXPECT_EQ(edit->EditText(), "(555) 987-____");
  EXPECT_EQ(lastDropAction, Qt::CopyAction);
  EXPECT_EQ(edit->changes, 1);
  EXPECT_TRUE(edit->Modified());
}

TEST_F(MaskEditInputTest, InputMethodTextIsTypedIntoThePositions) {
  Commit("12");
  Commit("3)4");
  EXPECT_EQ(edit->EditText(), "(123) 4__-____");
  EXPECT_EQ(edit->changes, 2);
  // A composition still being made changes nothing yet.
  QInputMethodEvent composing("5", {});
  QCoreApplication::sendEvent(edit.get(), &composing);
  EXPECT_EQ(edit->EditText(), "(123) 4__-____");
  EXPECT_EQ(edit->changes, 2);
  // A committed text that replaces the one before the cursor blanks it first.
  QInputMethodEvent replace;
  replace.setCommitString("9", -1, 1);
  QCoreApplication::sendEvent(edit.get(), &replace);
  EXPECT_EQ(edit->EditText(), "(123) 9__-____");
}

TEST_F(MaskEditInputTest, LineDeletingKeysBlankPositions) {
  edit->SetText("5551234567");
  edit->setCursorPosition(6);
  QTest::keyClick(edit.get(), Qt::Key_K, Qt::ControlModifier);
  // Ctrl+K deletes to the end under the X11 and macOS key bindings only.
  if (QKeySequence::keyBindings(QKeySequence::DeleteEndOfLine).isEmpty()) {
    EXPECT_EQ(edit->EditText(), "(555) 123-4567");  // no such key here
    EXPECT_EQ(edit->changes, 0);
  } else {
    EXPECT_EQ(edit->EditText(), "(555) ___-____");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "123-4567");
    EXPECT_EQ(edit->changes, 1);
  }
  // Word deletion takes one position too, never the layout.
  edit->SetText("5551234567");
  edit->setCursorPosition(3);
  QTest::keyClick(edit.get(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(edit->EditText(), "(55_) 123-4567");
  QTest::keyClick(edit.get(), Qt::Key_Backspace, Qt::ControlModifier);
  EXPECT_EQ(edit->EditText(), "(5__) 123-4567");
}

TEST_F(MaskEditInputTest, EveryPathAsksBeforeChanging) {
  edit->allowChange = false;
  SetClipboard("555");
  QTest::keyClick(edit.get(), Qt::Key_V, Qt::ControlModifier);
  ASSERT_TRUE(ClickContextMenuEntry(edit.get(), "Paste"));
  Drop("555");
  EXPECT_FALSE(lastDropAccepted);
  Commit("555");
  EXPECT_EQ(edit->EditText(), "(___) ___-____");
  edit->SetText("5551234567");
  edit->setCursorPosition(6);
  QTest::keyClick(edit.get(), Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(edit->EditText(), "(555) 123-4567");
  EXPECT_EQ(edit->changes, 0);
  EXPECT_FALSE(edit->Modified());

  // A character the control refuses is dropped; the rest goes on.
  edit->allowChange = true;
  edit->refusedChar = '7';
  edit->SetText("");
  Commit("1723");
  EXPECT_EQ(edit->EditText(), "(123) ___-____");
}

TEST_F(MaskEditInputTest, WithoutMaskThePathsInsertPlainText) {
  edit->SetEditMask("");
  edit->SetText("ab");
  edit->end(false);
  SetClipboard("(x)");
  ASSERT_TRUE(ClickContextMenuEntry(edit.get(), "Paste"));
  EXPECT_EQ(edit->EditText(), "ab(x)");
  Drop("12");
  EXPECT_EQ(edit->EditText(), "12ab(x)");
  Commit("z");
  EXPECT_EQ(edit->EditText(), "12zab(x)");
  EXPECT_EQ(edit->changes, 3);
}

TEST(MaskEditExitTest, AnIncompleteEditOnAPageSwitchedAwayDoesNotTakeTheFocusBack) {
  QTabWidget pages;
  auto* first = new QWidget;
  auto* masked = new TCustomMaskEdit(first);
  auto* second = new QWidget;
  auto* plain = new QLineEdit(second);
  pages.addTab(first, "First");
  pages.addTab(second, "Second");
  masked->SetEditMask("00/00;1;_");
  ASSERT_TRUE(ShowActive(&pages));
  masked->setFocus();
  CollectErrors errors;
  TMessageService* previous = SetMessageService(&errors);
  QTest::keyClicks(masked, "12");
  QTest::mouseClick(pages.tabBar(), Qt::LeftButton, {}, pages.tabBar()->tabRect(1).center());
  ASSERT_EQ(pages.currentIndex(), 1);
  QTest::qWait(20);
  EXPECT_FALSE(masked->hasFocus());
  EXPECT_EQ(errors.errors.size(), 1u);
  QTest::mouseClick(plain, Qt::LeftButton);
  QTest::keyClicks(QApplication::focusWidget(), "abc");
  EXPECT_EQ(plain->text(), "abc");
  // The text waits in its edit for correcting.
  EXPECT_EQ(masked->EditText(), "12/__");
  SetMessageService(previous);
}
