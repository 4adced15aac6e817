// TCalculatorCore: the working of the popup calculator, without buttons or
// window. It has no number store of its own: the number being typed and
// every result live in a display text (the owning edit's text), so the user
// computes with exactly what is shown, results rounded to Decimals() places.
// Operators work left to right ("2 + 3 * 4 =" gives 20); a percent after
// "+" or "-" is a share of the accumulator, after "*" or "/" a hundredth.
// Errors (dividing by zero, the square root of a negative number, the
// reciprocal of zero, a result beyond the range of a double) beep and leave
// the display as it is; then every key but "C" is ignored until "C".
#pragma once

#include <functional>
#include <string>

namespace notarra {

enum class TCalcStatus {
  Ready,     // the display shows a result; the next digit starts a new number
  Entering,  // a number is being typed
  Error,
};

class TCalculatorCore {
public:
  // The keys Key() takes besides digits, operators and the locale's decimal separator.
  static constexpr char kBackspace = '\b';
  static constexpr char kClear = 'C';

  // Starts cleared, with the display held in the core itself.
  TCalculatorCore();
  // The display functions may point into the core.
  TCalculatorCore(const TCalculatorCore&) = delete;
  TCalculatorCore& operator=(const TCalculatorCore&) = delete;

  // Where the display lives: read gives its text, write replaces it.
  void SetDisplay(std::function<std::string()> read, std::function<void(const std::string&)> write);
  void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

  std::string DisplayText() const;
  // 0 in the error status or when the display is not a number.
  double Value() const;
  // Puts the calculator into a fresh calculation on value (status ready, no
  // pending operator; memory and decimals stay) and remembers it as the
  // starting value.
  void SetValue(double value);
  double StartingValue() const { return startingValue_; }
  // Shows the starting value again (closing without saving).
  void RestoreStart() { Show(startingValue_); }

  // A typed key: a digit, the decimal separator of the format settings,
  // kBackspace, one of "%*+-/=", or "C" (either case). Anything else is
  // ignored; in the error status everything but "C".
  void Key(char c);
  void ChangeSign();
  void SquareRoot();
  void Reciprocal();
  void Clear();

  void MemoryClear();
  void MemoryRead();
  void MemoryStore();
  void MemoryAdd();
  double Memory() const { return memory_; }
  // "M" while the memory holds a number other than 0 (as of the last store
  // or add), else empty.
  const std::string& MemoryIndicator() const { return memoryIndicator_; }

  // Places shown after the decimal separator, 0 to 8; a change applies to
  // values shown afterwards. False when the limit was already reached.
  int Decimals() const { return decimals_; }
  bool IncreaseDecimals();
  bool DecreaseDecimals();

  TCalcStatus Status() const { return status_; }
  char PendingOperator() const { return pending_; }
  double Accumulator() const { return accumulator_; }

  // Shows a value the way results are shown; a value that is not finite is an error.
  void Show(double value);
  // The error status, with a beep.
  void Fail();

private:
  void WriteDisplay(const std::string& text);
  void StartEntry();
  void Digit(char digit);
  void Operator(char op);

  std::string ownDisplay_;
  std::function<std::string()> readDisplay_;
  std::function<void(const std::string&)> writeDisplay_;
  std::function<void()> beep_;

  TCalcStatus status_ = TCalcStatus::Ready;
  char pending_ = '=';
  double accumulator_ = 0;
  double memory_ = 0;
  double startingValue_ = 0;
  int decimals_ = 2;
  std::string memoryIndicator_;
};

}  // namespace notarra
