#include "gui/popup_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace notarra {

TPopupWindow::TPopupWindow(QWidget* owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      owner_(owner) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  if (owner_) owner_->installEventFilter(this);
}

TPopupWindow::~TPopupWindow() {
  if (owner_) owner_->removeEventFilter(this);
}

void TPopupWindow::ShowAt(const QPoint& screenPos) {
  // Children must not take the focus from the owner either.
  for (QWidget* child : findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
  QPoint pos = screenPos;
  if (QScreen* screen = QGuiApplication::screenAt(screenPos)) {
    const QRect area = screen->availableGeometry();
    const QSize size = sizeHint().isValid() && !testAttribute(Qt::WA_Resized) ? sizeHint() : this->size();
    if (pos.x() + size.width() > area.right() + 1) pos.setX(std::max(area.left(), area.right() + 1 - size.width()));
    if (pos.y() + size.height() > area.bottom() + 1) pos.setY(std::max(area.top(), area.bottom() + 1 - size.height()));
  }
  move(pos);
  show();
  raise();
}

void TPopupWindow::ShowBelow(const QWidget* anchor) {
  const QPoint topLeft = anchor->mapToGlobal(QPoint(0, 0));
  QPoint pos(topLeft.x(), topLeft.y() + anchor->height());
  if (QScreen* screen = QGuiApplication::screenAt(topLeft)) {
    const QRect area = screen->availableGeometry();
    if (pos.y() + height() > area.bottom() + 1) pos.setY(topLeft.y() - height());
    if (pos.x() + width() > area.right() + 1) pos.setX(area.right() + 1 - width());
  }
  move(pos);
  for (QWidget* child : findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
  show();
  raise();
}

void TPopupWindow::ClosePopup(bool accept) {
  if (!isVisible()) return;
  hide();
  emit Closed(accept);
}

bool TPopupWindow::ForwardKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && isVisible()) {
    ClosePopup(false);
    return true;
  }
  return false;
}

bool TPopupWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && isVisible()) {
    switch (event->type()) {
      case QEvent::FocusOut:
        // Some platforms activate every window that is shown; the popup
        // then hands the activation straight back instead of closing.
        if (QApplication::activeWindow() == this) {
          if (owner_->window()) owner_->window()->activateWindow();
          break;
        }
        ClosePopup(false);
        break;
      case QEvent::Hide:
        ClosePopup(false);
        break;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
          ClosePopup(false);
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace notarra
