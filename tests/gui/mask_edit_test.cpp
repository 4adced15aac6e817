#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "gui/mask_edit.h"
#include "gui_test_support.h"
#include "platform/format_settings.h"
#include "platform/services.h"

#include <QLineEdit>
#include <vector>

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
