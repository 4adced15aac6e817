#include "controls/edit/calculator_core.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/format_settings.h"

using namespace notarra;

namespace {

class CalculatorCoreTest : public testing::Test {
protected:
  void SetUp() override {
    saved = FormatSettings();
    FormatSettings() = TFormatSettings{};
    core.SetBeep([this] { ++beeps; });
  }
  void TearDown() override { FormatSettings() = saved; }

  // Feeds the keys in order; "s" stands for a sign change, "b" for Backspace.
  void Keys(const std::string& keys) {
    for (char c : keys) {
      if (c == 's')
        core.ChangeSign();
      else if (c == 'b')
        core.Key(TCalculatorCore::kBackspace);
      else
        core.Key(c);
    }
  }

  TFormatSettings saved;
  TCalculatorCore core;
  int beeps = 0;
};

TEST_F(CalculatorCoreTest, OperatorsWorkLeftToRightAndRepeatedEqualsChangesNothing) {
  Keys("12+3=");
  EXPECT_EQ(core.DisplayText(), "15");
  EXPECT_EQ(core.Status(), TCalcStatus::Ready);
  // No number is being typed: percent only becomes the pending operator.
  Keys("%");
  EXPECT_EQ(core.DisplayText(), "15");
  EXPECT_EQ(core.PendingOperator(), '%');

  Keys("C2+3*4=");
  EXPECT_EQ(core.DisplayText(), "20");
  Keys("==");
  EXPECT_EQ(core.DisplayText(), "20");
  // A second operator in a row replaces the first.
  Keys("C2+*3=");
  EXPECT_EQ(core.DisplayText(), "6");
  Keys("C10-4-1=");
  EXPECT_EQ(core.DisplayText(), "5");
  // A digit after a result starts a new number.
  Keys("7");
  EXPECT_EQ(core.DisplayText(), "7");
  EXPECT_EQ(beeps, 0);
}

TEST_F(CalculatorCoreTest, PercentIsAShareAfterPlusAndMinusAndAHundredthAfterTimesAndDivide) {
  Keys("200+10%");
  EXPECT_EQ(core.DisplayText(), "220");
  Keys("C200-10%");
  EXPECT_EQ(core.DisplayText(), "180");
  Keys("C200*10%");
  EXPECT_EQ(core.DisplayText(), "20");
  Keys("C50/10%");
  EXPECT_EQ(core.DisplayText(), "500");
  // After "=" there is no operand to take a share of.
  Keys("C=8%");
  EXPECT_EQ(core.DisplayText(), "8");
}

TEST_F(CalculatorCoreTest, ErrorsBeepAndOnlyClearLeavesThem) {
  Keys("5/0=");
  EXPECT_EQ(core.Status(), TCalcStatus::Error);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(core.Value(), 0);
  const std::string shown = core.DisplayText();
  Keys("123+.b=s");
  EXPECT_EQ(core.DisplayText(), shown);
  EXPECT_EQ(core.Status(), TCalcStatus::Error);
  core.MemoryStore();
  core.MemoryRead();
  EXPECT_EQ(core.Memory(), 0);
  EXPECT_EQ(core.DisplayText(), shown);
  Keys("c");  // either letter case
  EXPECT_EQ(core.Status(), TCalcStatus::Ready);
  EXPECT_EQ(core.DisplayText(), "0");
  // Clearing also dropped the division that failed.
  Keys("7=");
  EXPECT_EQ(core.DisplayText(), "7");

  Keys("C4s");
  core.SquareRoot();
  EXPECT_EQ(core.Status(), TCalcStatus::Error);
  Keys("C0");
  core.Reciprocal();
  EXPECT_EQ(core.Status(), TCalcStatus::Error);
  EXPECT_EQ(beeps, 3);
  Keys("C16");
  core.SquareRoot();
  EXPECT_EQ(core.DisplayText(), "4");
  core.Reciprocal();
  EXPECT_EQ(core.DisplayText(), "0.25");
}

TEST_F(CalculatorCoreTest, ResultsBeyondTheDoubleRangeAreErrorsAndHugeNumbersShowTheirExponent) {
  Keys("99999999*99999999=");
  EXPECT_EQ(core.DisplayText(), "9.9999998E15");
  EXPECT_DOUBLE_EQ(core.Value(), 9.9999998e15);
  // A digit cannot extend a number in the exponent form (reached here by a sign change while typing).
  Keys("C123456789012345678");
  EXPECT_EQ(core.DisplayText(), "123456789012345678");
  Keys("s");
  EXPECT_EQ(core.DisplayText(), "-1.23456789012346E17");
  Keys("5.");
  EXPECT_EQ(core.DisplayText(), "-1.23456789012346E17");
  EXPECT_EQ(beeps, 0);

  // Typing stops where a double ends, instead of the number turning into 0.
  Keys("C" + std::string(320, '9'));
  EXPECT_EQ(core.DisplayText(), std::string(308, '9'));
  EXPECT_EQ(beeps, 12);
  EXPECT_GT(core.Value(), 1e307);
  Keys("*10=");
  EXPECT_EQ(core.Status(), TCalcStatus::Error);
  EXPECT_EQ(beeps, 13);
}

TEST_F(CalculatorCoreTest, DecimalsRoundShownValuesAndStayBetweenZeroAndEight) {
  Keys("1/3=");
  EXPECT_EQ(core.DisplayText(), "0.33");
  // Values pass through the display: the next step computes with 0.33.
  Keys("*3=");
  EXPECT_EQ(core.DisplayText(), "0.99");
  EXPECT_TRUE(core.IncreaseDecimals());
  EXPECT_EQ(core.DisplayText(), "0.99");  // only later values change
  Keys("2/3=");
  EXPECT_EQ(core.DisplayText(), "0.667");
  while (core.IncreaseDecimals()) {
  }
  EXPECT_EQ(core.Decimals(), 8);
  Keys("1/7=");
  EXPECT_EQ(core.DisplayText(), "0.14285714");
  while (core.DecreaseDecimals()) {
  }
  EXPECT_EQ(core.Decimals(), 0);
  EXPECT_FALSE(core.DecreaseDecimals());
  Keys("7/2=");
  EXPECT_EQ(core.DisplayText(), "4");
  // Trailing zeros are dropped.
  core.IncreaseDecimals();
  core.IncreaseDecimals();
  Keys("1.5+1=");
  EXPECT_EQ(core.DisplayText(), "2.5");
}

TEST_F(CalculatorCoreTest, TypingEditsTheNumberOnDisplay) {
  Keys("1..5");
  EXPECT_EQ(core.DisplayText(), "1.5");
  Keys("C.5");
  EXPECT_EQ(core.DisplayText(), "0.5");
  Keys("C007");
  EXPECT_EQ(core.DisplayText(), "7");
  Keys("C123bb");
  EXPECT_EQ(core.DisplayText(), "1");
  Keys("b");
  EXPECT_EQ(core.DisplayText(), "0");
  Keys("C5s");
  EXPECT_EQ(core.DisplayText(), "-5");
  EXPECT_EQ(core.Status(), TCalcStatus::Entering);
  Keys("b");
  EXPECT_EQ(core.DisplayText(), "0");
  // Backspace on a result starts a new number.
  Keys("C12+3=b");
  EXPECT_EQ(core.DisplayText(), "0");

  FormatSettings().DecimalSeparator = ',';
  Keys("C1,5+1=");
  EXPECT_EQ(core.DisplayText(), "2,5");
  Keys("C1.5");  // the point is no separator here
  EXPECT_EQ(core.DisplayText(), "15");
}

TEST_F(CalculatorCoreTest, MemoryStoresAddsReadsAndShowsItsIndicator) {
  Keys("5");
  core.MemoryStore();
  EXPECT_EQ(core.MemoryIndicator(), "M");
  Keys("C3");
  core.MemoryAdd();
  EXPECT_EQ(core.Memory(), 8);
  Keys("C");
  core.MemoryRead();
  EXPECT_EQ(core.DisplayText(), "8");
  EXPECT_EQ(core.Status(), TCalcStatus::Entering);  // usable as an operand
  Keys("+2=");
  EXPECT_EQ(core.DisplayText(), "10");
  Keys("C4s");
  core.MemoryAdd();
  Keys("C8s");
  core.MemoryAdd();
  EXPECT_EQ(core.Memory(), -4);
  Keys("C");
  core.MemoryStore();  // storing 0 empties the indicator
  EXPECT_EQ(core.MemoryIndicator(), "");
  Keys("9");
  core.MemoryStore();
  core.MemoryClear();
  EXPECT_EQ(core.Memory(), 0);
  EXPECT_EQ(core.MemoryIndicator(), "");
}

TEST_F(CalculatorCoreTest, EveryNewValueStartsAFreshCalculation) {
  // What one opening leaves behind: a pending "+" on 5 and a number half typed.
  Keys("5+7");
  core.SetValue(3.14159);
  EXPECT_EQ(core.DisplayText(), "3.14");
  EXPECT_EQ(core.StartingValue(), 3.14159);
  EXPECT_EQ(core.Status(), TCalcStatus::Ready);
  Keys("4=");
  EXPECT_EQ(core.DisplayText(), "4");
  // Also out of the error status.
  Keys("1/0=");
  ASSERT_EQ(core.Status(), TCalcStatus::Error);
  core.SetValue(-2.5);
  EXPECT_EQ(core.Value(), -2.5);
  Keys("*2=");
  EXPECT_EQ(core.DisplayText(), "-5");
  core.RestoreStart();
  EXPECT_EQ(core.DisplayText(), "-2.5");
}

TEST_F(CalculatorCoreTest, ADisplayElsewhereIsWhatItComputesWith) {
  std::string outside = " 42 ";
  core.SetDisplay([&] { return outside; }, [&](const std::string& text) { outside = text; });
  EXPECT_EQ(core.Value(), 42);
  Keys("+8=");
  EXPECT_EQ(outside, "50");
  outside = "not a number";
  EXPECT_EQ(core.Value(), 0);
}

}  // namespace
