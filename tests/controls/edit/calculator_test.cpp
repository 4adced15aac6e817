#include "controls/edit/calculator.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../gui/gui_test_support.h"
#include "gui/mask_edit.h"
#include "platform/format_settings.h"
#include "platform/services.h"

using namespace notarra;

namespace {

// Stands in for the data edit: while the calculator shows, every key
// pressed in the edit goes to it.
class CalculatorOwner : public TCustomMaskEdit {
public:
  using TCustomMaskEdit::TCustomMaskEdit;
  TVelaCalculator* calculator = nullptr;

protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (calculator && calculator->isVisible() && calculator->ForwardKey(event)) return;
    TCustomMaskEdit::keyPressEvent(event);
  }
};

class RecordedErrors : public TMessageService {
public:
  void Information(const std::string& text) override { shown.push_back(text); }
  void Warning(const std::string& text) override { shown.push_back(text); }
  void Error(const std::string& text) override { shown.push_back(text); }
  bool ConfirmOkCancel(const std::string&) override { return false; }
  bool ConfirmYesNo(const std::string&) override { return false; }
  std::vector<std::string> shown;
};

class CalculatorTest : public testing::Test {
protected:
  void SetUp() override {
    saved = FormatSettings();
    FormatSettings() = TFormatSettings{};
    form = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(form.get());
    owner = new CalculatorOwner(form.get());
    other = new QLineEdit(form.get());
    layout->addWidget(owner);
    layout->addWidget(other);
    layout->addStretch();
    form->resize(260, 90);
    ASSERT_TRUE(ShowActive(form.get()));
    owner->setFocus();
    calculator = new TVelaCalculator(owner);
    owner->calculator = calculator;
    calculator->OnExitClick = [this](TVelaCalculator* sender, bool selected) {
      EXPECT_EQ(sender, calculator);
      exits.push_back(selected);
    };
  }
  void TearDown() override { FormatSettings() = saved; }

  void Open(double value) {
    calculator->SetValue(value);
    calculator->ShowBelow(owner);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calculator));
  }
  // The button with this caption or hint.
  QToolButton* Button(const QString& captionOrHint) const {
    for (QToolButton* b : calculator->findChildren<QToolButton*>())
      if (b->text() == captionOrHint || b->toolTip() == captionOrHint) return b;
    ADD_FAILURE() << "no button " << captionOrHint.toStdString();
    return nullptr;
  }
  // Clicks the buttons of these captions, separated by blanks.
  void Click(const QString& captions) {
    for (const QString& caption : captions.split(' ', Qt::SkipEmptyParts)) Press(caption);
  }
  void Press(const QString& captionOrHint) {
    if (QToolButton* b = Button(captionOrHint)) QTest::mouseClick(b, Qt::LeftButton);
  }
  std::string Shown() const { return owner->text().toStdString(); }
  std::string Label(const char* name) const { return calculator->findChild<QLabel*>(name)->text().toStdString(); }

  TFormatSettings saved;
  std::unique_ptr<QWidget> form;
  CalculatorOwner* owner = nullptr;
  QLineEdit* other = nullptr;
  TVelaCalculator* calculator = nullptr;
  std::vector<bool> exits;
};

TEST_F(CalculatorTest, ButtonsSitOnTheirGridInAPanelOfFixedSize) {
  Open(0);
  const QSize size = calculator->size();
  calculator->resize(400, 300);
  EXPECT_EQ(calculator->size(), size);
  const QRect inside = calculator->contentsRect();
  const double scale = calculator->logicalDpiY() / 96.0;
  EXPECT_EQ(inside.size(), QSize(qRound(173 * scale), qRound(116 * scale)));

  const QList<QToolButton*> buttons = calculator->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 30);  // 28 keys and the two arrows
  int keys = 0;
  for (QToolButton* b : buttons) {
    EXPECT_TRUE(inside.contains(b->geometry())) << b->text().toStdString() << b->toolTip().toStdString();
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    if (b->width() != qRound(28 * scale)) continue;
    ++keys;
    EXPECT_EQ(b->height(), qRound(22 * scale));
    // Keys never overlap one another.
    for (QToolButton* c : buttons) {
      if (c != b && c->width() == b->width()) {
        EXPECT_FALSE(b->geometry().intersects(c->geometry()));
      }
    }
  }
  EXPECT_EQ(keys, 28);
  const QPoint origin = inside.topLeft();
  const auto at = [&](int left, int top) { return origin + QPoint(qRound(left * scale), qRound(top * scale)); };
  EXPECT_EQ(Button("<=")->pos(), at(30, 2));
  EXPECT_EQ(Button("Save result")->pos(), at(114, 2));
  EXPECT_EQ(Button("Close without saving")->pos(), at(142, 2));
  EXPECT_EQ(Button("M+")->pos(), at(2, 90));
  EXPECT_EQ(Button("0")->pos(), at(30, 90));
  EXPECT_EQ(Button("sqrt")->pos(), at(142, 24));
  EXPECT_EQ(Button("=")->pos(), at(142, 90));
  EXPECT_EQ(Button("Increase number of decimal digits")->pos(), at(98, 2));
  EXPECT_EQ(Button("Decrease number of decimal digits")->pos(), at(98, 12));
  EXPECT_FALSE(Button("Save result")->icon().isNull());
  EXPECT_FALSE(Button("Increase number of decimal digits")->icon().isNull());
  EXPECT_EQ(Button("=")->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
  EXPECT_EQ(Button("MR")->palette().color(QPalette::ButtonText), QColor(0, 0, 128));
  EXPECT_EQ(Button("C")->toolTip(), "Clear");
  EXPECT_EQ(Label("DecimalDigits"), "2");
  EXPECT_EQ(Label("MemoryIndicator"), "");
  // Every caption fits its button.
  for (QToolButton* b : buttons) {
    if (!b->text().isEmpty()) {
      EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width() - 2) << b->text().toStdString();
    }
  }

  // A picture of the popup under its edit, for a person to look at.
  Click("1 2 + 3 =");
  QImage shot(form->width(), form->height() + calculator->height() + 10, QImage::Format_ARGB32);
  shot.fill(Qt::white);
  QPainter painter(&shot);
  painter.drawPixmap(0, 0, form->grab());
  painter.drawPixmap(owner->mapTo(form.get(), QPoint(0, owner->height())), calculator->grab());
  painter.end();
  shot.save(QString::fromStdString(TestOutputPath("calculator_popup.png")));
  calculator->grab().save(QString::fromStdString(TestOutputPath("calculator.png")));
}

TEST_F(CalculatorTest, MouseClicksComputeInTheOwnersTextWithoutTakingTheFocus) {
  Open(0);
  Click("1 2 + 3 =");
  EXPECT_EQ(Shown(), "15");
  Click("%");
  EXPECT_EQ(Shown(), "15");
  Click("C 2 0 0 + 1 0 %");
  EXPECT_EQ(Shown(), "220");
  Click("C 1 6 sqrt");
  EXPECT_EQ(Shown(), "4");
  Click("1/x +/-");
  EXPECT_EQ(Shown(), "-0.25");
  Click("C 1 , 5 , 2 <=");
  EXPECT_EQ(Shown(), "1.5");
  Click("C 5 MS");
  EXPECT_EQ(Label("MemoryIndicator"), "M");
  Click("C MR * 2 =");
  EXPECT_EQ(Shown(), "10");
  Click("MC");
  EXPECT_EQ(Label("MemoryIndicator"), "");
  EXPECT_TRUE(owner->hasFocus());
  EXPECT_EQ(QApplication::activeWindow(), form.get());
  EXPECT_TRUE(exits.empty());
}

TEST_F(CalculatorTest, KeysPressedInTheOwnerDriveIt) {
  Open(0);
  QTest::keyClicks(owner, "12");
  QTest::keyClick(owner, Qt::Key_Plus, Qt::KeypadModifier);
  QTest::keyClick(owner, Qt::Key_3, Qt::KeypadModifier);
  QTest::keyClick(owner, Qt::Key_Equal);
  EXPECT_EQ(Shown(), "15");
  QTest::keyClick(owner, Qt::Key_Asterisk, Qt::KeypadModifier);
  QTest::keyClicks(owner, "2.5");
  QTest::keyClick(owner, Qt::Key_Backspace);
  QTest::keyClick(owner, Qt::Key_Comma);  // a second separator
  QTest::keyClick(owner, Qt::Key_4);
  QTest::keyClick(owner, Qt::Key_Enter, Qt::KeypadModifier);
  // Enter saves what is shown; no "=" was pressed.
  EXPECT_EQ(exits, std::vector<bool>{true});
  EXPECT_FALSE(calculator->isVisible());
  EXPECT_DOUBLE_EQ(calculator->Value(), 2.4);

  Open(0);
  // Alt starts the owner's Alt+Up: not an error.
  QTest::keyClick(owner, Qt::Key_Alt);
  EXPECT_FALSE(calculator->InError());
  // The main keyboard's minus is no operator key; a wrong key is an error.
  QTest::keyClick(owner, Qt::Key_Minus);
  EXPECT_TRUE(calculator->InError());
  QTest::keyClicks(owner, "77");
  EXPECT_EQ(Shown(), "0");
  QTest::keyClick(owner, Qt::Key_C);
  EXPECT_FALSE(calculator->InError());
  QTest::keyClicks(owner, "9");
  QTest::keyClick(owner, Qt::Key_Shift);
  EXPECT_TRUE(calculator->InError());
  EXPECT_EQ(Shown(), "9");
  // A letter typed while the calculator shows never lands in the edit.
  QTest::keyClicks(owner, "x");
  EXPECT_EQ(Shown(), "9");
  QTest::keyClick(owner, Qt::Key_C, Qt::ShiftModifier);
  QTest::keyClick(owner, Qt::Key_Minus, Qt::KeypadModifier);
  QTest::keyClicks(owner, "6");
  QTest::keyClick(owner, Qt::Key_Equal);
  EXPECT_EQ(Shown(), "-6");
}

TEST_F(CalculatorTest, SaveHandsOverTheResultAndCancelPutsTheStartingValueBack) {
  Open(12.5);
  EXPECT_EQ(Shown(), "12.5");
  Click("+ 1 =");
  EXPECT_EQ(Shown(), "13.5");
  Press("Close without saving");
  EXPECT_EQ(exits, std::vector<bool>{false});
  EXPECT_FALSE(calculator->isVisible());
  EXPECT_EQ(Shown(), "12.5");

  Open(12.5);
  Click("* 2 =");
  Press("Save result");
  EXPECT_EQ(exits, (std::vector<bool>{false, true}));
  EXPECT_FALSE(calculator->isVisible());
  EXPECT_EQ(calculator->Value(), 25);
  EXPECT_EQ(Shown(), "25");

  // Escape in the owner closes without saving, as the button does.
  Open(3);
  QTest::keyClicks(owner, "44");
  QTest::keyClick(owner, Qt::Key_Escape);
  EXPECT_FALSE(calculator->isVisible());
  EXPECT_EQ(Shown(), "3");
  // So does the owner losing the focus.
  Open(4);
  QTest::keyClicks(owner, "55");
  other->setFocus();
  EXPECT_FALSE(calculator->isVisible());
  EXPECT_EQ(Shown(), "4");
}

TEST_F(CalculatorTest, AFailedCalculationOrATextThatIsNoNumberIsNeverSaved) {
  Open(8);
  Click("/ 0 =");
  ASSERT_TRUE(calculator->InError());
  Press("Save result");
  QTest::keyClick(owner, Qt::Key_Return);
  EXPECT_TRUE(exits.empty());
  EXPECT_TRUE(calculator->isVisible());
  Click("C 7");
  Press("Save result");
  EXPECT_EQ(exits, std::vector<bool>{true});
  EXPECT_EQ(calculator->Value(), 7);

  RecordedErrors errors;
  TMessageService* previous = SetMessageService(&errors);
  Open(1);
  owner->SetText("12abc");
  Press("Save result");
  SetMessageService(previous);
  EXPECT_EQ(errors.shown, std::vector<std::string>{"'12abc' is not a valid floating point value"});
  EXPECT_EQ(exits.size(), 1u);
  EXPECT_TRUE(calculator->isVisible());
}

TEST_F(CalculatorTest, ArrowsSetTheDecimalsBetweenZeroAndEight) {
  Open(0);
  for (int i = 0; i < 10; ++i) Press("Increase number of decimal digits");
  EXPECT_EQ(Label("DecimalDigits"), "8");
  Click("2 / 3 =");
  EXPECT_EQ(Shown(), "0.66666667");
  for (int i = 0; i < 10; ++i) Press("Decrease number of decimal digits");
  EXPECT_EQ(Label("DecimalDigits"), "0");
  EXPECT_EQ(Shown(), "0.66666667");  // until the next result
  Click("C 2 / 3 =");
  EXPECT_EQ(Shown(), "1");
  // The decimals outlive one opening.
  Open(2.75);
  EXPECT_EQ(Shown(), "3");
}

TEST_F(CalculatorTest, AnOwnerThatIsNoMaskedEditHasAnEmptyDisplay) {
  QLineEdit plain;
  TVelaCalculator calc(&plain);
  plain.setText("41");
  calc.SetValue(5);
  EXPECT_EQ(calc.DisplayText(), "");
  EXPECT_EQ(plain.text(), "41");
  EXPECT_EQ(calc.Value(), 0);
}

}  // namespace
