// TVelaCalculator: the small calculator a data edit shows as a popup under
// itself (four operations, percent, square root, reciprocal, memory, a
// chosen number of decimals). It has no display of its own: its display is
// the text of its owner when the owner is a masked edit (otherwise it reads
// empty and writes nowhere), so the user sees the number grow in the edit.
//
// How an edit uses it: create it with the edit as owner (it stays hidden),
// SetValue with the field's number, ShowBelow(edit); pass it every key
// pressed in the edit (ForwardKey; it uses them all); on OnExitClick take
// Value() when Selected is true. Value() reads 0 while InError(): an owner
// that accepts a result on its own (say, on Alt+Up) checks InError() first,
// so that a failed calculation is not stored as 0. Closing the popup
// without accepting in any way (Escape, the owner losing the focus, "Close
// without saving") puts the starting value back into the display.
#pragma once

#include <string>

#include "controls/edit/calculator_core.h"
#include "gui/popup_window.h"
#include "platform/events.h"

class QLabel;
class QToolButton;

namespace notarra {

class TVelaCalculator;
// (sender, Selected): true after "Save result", false after "Close without saving".
using TCalcExitEvent = TEvent<TVelaCalculator*, bool>;

class TVelaCalculator : public TPopupWindow {
  Q_OBJECT

public:
  explicit TVelaCalculator(QWidget* owner);
  ~TVelaCalculator() override;

  // Shows value and starts a fresh calculation on it; "Close without saving"
  // puts it back.
  void SetValue(double value);
  double Value() const { return core_.Value(); }
  std::string DisplayText() const { return core_.DisplayText(); }
  bool InError() const { return core_.Status() == TCalcStatus::Error; }
  const TCalculatorCore& Core() const { return core_; }

  // "Save result": the display must read as a number (EConvertError
  // otherwise, and nothing happens), then OnExitClick(true). In the error
  // status it only beeps.
  void Save();
  // "Close without saving": the starting value back, then OnExitClick(false).
  void Cancel();

  // Connected by the owner to its close-up. When the handler leaves the
  // popup open (or there is none), the popup closes itself.
  TCalcExitEvent OnExitClick;

  // Every key is used: Backspace, Enter (save), Escape (cancel), digits,
  // "C", the keypad's operators, its decimal key and the "," and "." keys
  // (the decimal separator), "="; any other key, a modifier pressed alone
  // included, is an error. Alt alone is the exception: it starts the
  // owner's Alt+Up and Alt+Down, which close the popup.
  bool ForwardKey(QKeyEvent* event) override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  enum class TAction;
  struct TButtonSpec;

  void CreateButton(const TButtonSpec& def);
  void Run(TAction action, char key);
  void HandleKey(QKeyEvent* event);
  void SyncLabels();
  int Px(int pixels) const;
  QFont CaptionFont(int pixelHeight) const;

  TCalculatorCore core_;
  QLabel* memoryLabel_ = nullptr;
  QLabel* decimalsLabel_ = nullptr;
};

}  // namespace notarra
