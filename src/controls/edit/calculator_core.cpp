#include "controls/edit/calculator_core.h"

#include <cmath>

#include "platform/text.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"

namespace notarra {

namespace {

// From here on a double no longer holds every digit of a whole number, so
// results are shown in the general form ("1.5E20"), which also keeps the
// edit from filling with hundreds of meaningless digits.
constexpr double kLargestFixed = 1e15;
constexpr int kMaxDecimals = 8;

}  // namespace

TCalculatorCore::TCalculatorCore() {
  SetDisplay(nullptr, nullptr);
  Clear();
}

void TCalculatorCore::SetDisplay(std::function<std::string()> read, std::function<void(const std::string&)> write) {
  if (read && write) {
    readDisplay_ = std::move(read);
    writeDisplay_ = std::move(write);
    return;
  }
  readDisplay_ = [this] { return ownDisplay_; };
  writeDisplay_ = [this](const std::string& text) { ownDisplay_ = text; };
}

std::string TCalculatorCore::DisplayText() const { return readDisplay_(); }

void TCalculatorCore::WriteDisplay(const std::string& text) {
  writeDisplay_(std::string(Trim(text)));
}

double TCalculatorCore::Value() const {
  if (status_ == TCalcStatus::Error) return 0;
  double value = 0;
  return TryStrToFloat(DisplayText(), value) ? value : 0;
}

void TCalculatorCore::Show(double value) {
  if (!std::isfinite(value)) {
    Fail();
    return;
  }
  if (std::fabs(value) >= kLargestFixed) {
    WriteDisplay(FloatToStr(value));
    return;
  }
  WriteDisplay(FormatFloat("###########0." + std::string(static_cast<size_t>(decimals_), '#'), value));
}

void TCalculatorCore::Fail() {
  status_ = TCalcStatus::Error;
  if (beep_) beep_();
}

void TCalculatorCore::SetValue(double value) {
  // Each opening is a calculation of its own: a number left half typed or an
  // operator left pending by the last one must not act on this value.
  status_ = TCalcStatus::Ready;
  pending_ = '=';
  startingValue_ = std::isfinite(value) ? value : 0;
  Show(value);
}

void TCalculatorCore::StartEntry() {
  if (status_ != TCalcStatus::Ready) return;
  status_ = TCalcStatus::Entering;
  WriteDisplay("0");
}

void TCalculatorCore::Key(char c) {
  c = AsciiUpper(c);
  if (status_ == TCalcStatus::Error && c != kClear) return;
  const char separator = FormatSettings().DecimalSeparator;
  if (c == separator) {
    StartEntry();
    const std::string text = DisplayText();
    // A number in the exponent form has no place for a fraction.
    if (text.find(separator) == std::string::npos && text.find('E') == std::string::npos)
      WriteDisplay(text + separator);
  } else if (c == kBackspace) {
    StartEntry();
    const std::string text = DisplayText();
    if (text.size() <= 1 || (text.size() == 2 && text[0] == '-'))
      WriteDisplay("0");
    else
      WriteDisplay(text.substr(0, text.size() - 1));
  } else if (c == '%' || c == '*' || c == '+' || c == '-' || c == '/' || c == '=') {
    Operator(c);
  } else if (IsAsciiDigit(c)) {
    Digit(c);
  } else if (c == kClear) {
    Clear();
  }
}

void TCalculatorCore::Digit(char digit) {
  StartEntry();
  std::string text = DisplayText();
  if (text == "0") {
    text.clear();
    WriteDisplay(text);
  }
  if (text.find('E') != std::string::npos) return;
  text += digit;
  // A number too long for a double would silently count as 0.
  double value = 0;
  if (!TryStrToFloat(text, value) || !std::isfinite(value)) {
    if (beep_) beep_();
    return;
  }
  WriteDisplay(text);
}

void TCalculatorCore::Operator(char op) {
  if (status_ == TCalcStatus::Entering) {
    status_ = TCalcStatus::Ready;
    double x = Value();
    if (op == '%') {
      if (pending_ == '*' || pending_ == '/')
        x = x / 100;
      else if (pending_ == '+' || pending_ == '-')
        x = accumulator_ * x / 100;
    }
    switch (pending_) {
      case '*':
        Show(accumulator_ * x);
        break;
      case '+':
        Show(accumulator_ + x);
        break;
      case '-':
        Show(accumulator_ - x);
        break;
      case '/':
        if (x == 0)
          Fail();
        else
          Show(accumulator_ / x);
        break;
      default:
        break;
    }
  }
  pending_ = op;
  accumulator_ = Value();
}

void TCalculatorCore::Clear() {
  status_ = TCalcStatus::Ready;
  Show(0);
  pending_ = '=';
}

void TCalculatorCore::ChangeSign() {
  if (status_ == TCalcStatus::Error) return;
  Show(-Value());
}

void TCalculatorCore::SquareRoot() {
  status_ = TCalcStatus::Ready;
  const double value = Value();
  if (value < 0)
    Fail();
  else
    Show(std::sqrt(value));
}

void TCalculatorCore::Reciprocal() {
  status_ = TCalcStatus::Ready;
  const double value = Value();
  if (value == 0)
    Fail();
  else
    Show(1 / value);
}

void TCalculatorCore::MemoryClear() {
  memory_ = 0;
  memoryIndicator_.clear();
}

void TCalculatorCore::MemoryRead() {
  if (status_ == TCalcStatus::Error) return;
  status_ = TCalcStatus::Ready;
  StartEntry();
  Show(memory_);
}

void TCalculatorCore::MemoryStore() {
  if (status_ == TCalcStatus::Error) return;
  status_ = TCalcStatus::Ready;
  memory_ = Value();
  memoryIndicator_ = memory_ != 0 ? "M" : "";
}

void TCalculatorCore::MemoryAdd() {
  if (status_ == TCalcStatus::Error) return;
  status_ = TCalcStatus::Ready;
  const double sum = memory_ + Value();
  if (!std::isfinite(sum)) {
    Fail();
    return;
  }
  memory_ = sum;
  memoryIndicator_ = memory_ != 0 ? "M" : "";
}

bool TCalculatorCore::IncreaseDecimals() {
  if (decimals_ >= kMaxDecimals) return false;
  ++decimals_;
  return true;
}

bool TCalculatorCore::DecreaseDecimals() {
  if (decimals_ <= 0) return false;
  --decimals_;
  return true;
}

}  // namespace notarra
