// TPopupWindow: a frame with the popup window behaviour (popup_behavior.h)
// that floats over the form at a screen position and holds other controls
// (lists, calendars, calculators). It closes when the owner loses the
// focus, on Escape pressed in the owner, or when ClosePopup is called;
// Closed reports whether the choice was accepted.
#pragma once

#include <QFrame>
#include <QPoint>

class QKeyEvent;

namespace notarra {

class TPopupBehavior;

class TPopupWindow : public QFrame {
  Q_OBJECT

public:
  // owner is the control that keeps the focus; the popup lives as long as it.
  explicit TPopupWindow(QWidget* owner);
  ~TPopupWindow() override;

  QWidget* Owner() const;
  bool Showing() const { return isVisible(); }
  TPopupBehavior* Behavior() const { return behavior_; }

  // Shows the popup with its top-left corner at a screen position, kept on
  // the screen that holds the point.
  void ShowAt(const QPoint& screenPos);
  // Shows it just below anchor (or just above when it would pass the bottom
  // of the screen), moved left to end at the screen's right edge when needed.
  void ShowBelow(const QWidget* anchor);
  void ClosePopup(bool accept);

  // A key the owner passes on. Escape closes without accepting; other keys
  // are the derived popup's business. True when the key was used.
  virtual bool ForwardKey(QKeyEvent* event);

signals:
  void Closed(bool accepted);

private:
  TPopupBehavior* behavior_;
};

}  // namespace notarra
