// TPopupBehavior: what makes a control a popup window. The control becomes
// a thin-bordered top-level tool window that stays on top, is shown without
// being activated and never takes the keyboard focus, so typing stays in
// its owner (which passes on the keys the popup wants); it still draws its
// selection as a focused control does. It belongs to the owner and dies
// with it.
//
// It closes without accepting when the owner loses the focus or is hidden,
// when the owner's window moves, is resized, hidden or deactivated, on
// Escape pressed in the owner, and on a mouse press anywhere outside the
// owner and the popup. By default it then hides the control and emits
// Closed(false); an owner that runs its own closing sets CloseRequest and
// is asked instead.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

#include "platform/events.h"

class QMouseEvent;
class QWidget;

namespace notarra {

// A popup's mouse release, told to its owner: the popup and the event (in
// the popup's coordinates). The owner decides whether the popup closes.
using TPopupMouseEvent = TEvent<QWidget*, QMouseEvent*>;

class TPopupBehavior : public QObject {
  Q_OBJECT

public:
  // Makes popup (whose Qt parent should be owner) a popup window of owner.
  TPopupBehavior(QWidget* popup, QWidget* owner);
  ~TPopupBehavior() override;

  QWidget* Popup() const { return popup_; }
  QWidget* Owner() const { return owner_; }
  bool Showing() const;

  // Shows the popup with its top-left corner at a screen position, kept on
  // the screen that holds the point.
  void ShowAt(const QPoint& screenPos);
  // Shows it just below anchor (or just above when it would pass the bottom
  // of the screen), moved left to end at the screen's right edge when needed.
  void ShowBelow(const QWidget* anchor);
  // Hides the popup and emits Closed(accept); nothing when it is hidden.
  void ClosePopup(bool accept);
  // Hides the popup without telling anyone.
  void Hide();

  // When set, the reasons to close above call it instead of ClosePopup.
  std::function<void(bool accept)> CloseRequest;

signals:
  void Closed(bool accepted);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Show(const QPoint& pos);
  void RequestClose();
  bool InsidePopupOrOwner(QObject* object) const;

  QWidget* popup_;
  QWidget* owner_;
  QWidget* ownerWindow_ = nullptr;
};

}  // namespace notarra
