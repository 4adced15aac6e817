#include "gui/popup_window.h"

#include <QKeyEvent>

#include "gui/popup_behavior.h"

namespace notarra {

TPopupWindow::TPopupWindow(QWidget* owner) : QFrame(owner), behavior_(new TPopupBehavior(this, owner)) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  connect(behavior_, &TPopupBehavior::Closed, this, &TPopupWindow::Closed);
}

TPopupWindow::~TPopupWindow() = default;

QWidget* TPopupWindow::Owner() const { return behavior_->Owner(); }

void TPopupWindow::ShowAt(const QPoint& screenPos) { behavior_->ShowAt(screenPos); }

void TPopupWindow::ShowBelow(const QWidget* anchor) { behavior_->ShowBelow(anchor); }

void TPopupWindow::ClosePopup(bool accept) { behavior_->ClosePopup(accept); }

bool TPopupWindow::ForwardKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && isVisible()) {
    ClosePopup(false);
    return true;
  }
  return false;
}

}  // namespace notarra
