#include "gui/popup_behavior.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace notarra {

namespace {

// The popup never has the focus; it should still look like the control the
// user is working with, so its inactive colours are its active ones.
void LookFocused(QWidget* widget) {
  QPalette palette = widget->palette();
  for (int role = 0; role < QPalette::NColorRoles; ++role) {
    const auto r = static_cast<QPalette::ColorRole>(role);
    palette.setColor(QPalette::Inactive, r, palette.color(QPalette::Active, r));
  }
  widget->setPalette(palette);
}

}  // namespace

TPopupBehavior::TPopupBehavior(QWidget* popup, QWidget* owner) : QObject(popup), popup_(popup), owner_(owner) {
  popup_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus);
  popup_->setAttribute(Qt::WA_ShowWithoutActivating);
  popup_->setFocusPolicy(Qt::NoFocus);
  LookFocused(popup_);
}

TPopupBehavior::~TPopupBehavior() { qApp->removeEventFilter(this); }

bool TPopupBehavior::Showing() const { return popup_->isVisible(); }

void TPopupBehavior::ShowAt(const QPoint& screenPos) {
  QPoint pos = screenPos;
  if (QScreen* screen = QGuiApplication::screenAt(screenPos)) {
    const QRect area = screen->availableGeometry();
    const QSize size =
        popup_->sizeHint().isValid() && !popup_->testAttribute(Qt::WA_Resized) ? popup_->sizeHint() : popup_->size();
    if (pos.x() + size.width() > area.right() + 1) pos.setX(std::max(area.left(), area.right() + 1 - size.width()));
    if (pos.y() + size.height() > area.bottom() + 1) pos.setY(std::max(area.top(), area.bottom() + 1 - size.height()));
  }
  Show(pos);
}

void TPopupBehavior::ShowBelow(const QWidget* anchor) {
  const QPoint topLeft = anchor->mapToGlobal(QPoint(0, 0));
  QPoint pos(topLeft.x(), topLeft.y() + anchor->height());
  if (QScreen* screen = QGuiApplication::screenAt(topLeft)) {
    const QRect area = screen->availableGeometry();
    if (pos.y() + popup_->height() > area.bottom() + 1) pos.setY(topLeft.y() - popup_->height());
    if (pos.x() + popup_->width() > area.right() + 1) pos.setX(area.right() + 1 - popup_->width());
  }
  Show(pos);
}

void TPopupBehavior::Show(const QPoint& pos) {
  // Children must not take the focus from the owner either.
  for (QWidget* child : popup_->findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
  popup_->move(pos);
  popup_->show();
  popup_->raise();
  // While it shows, every event passes here first: the owner's, its
  // window's, and presses anywhere else.
  ownerWindow_ = owner_ ? owner_->window() : nullptr;
  qApp->installEventFilter(this);
}

void TPopupBehavior::Hide() {
  qApp->removeEventFilter(this);
  popup_->hide();
}

void TPopupBehavior::ClosePopup(bool accept) {
  if (!popup_->isVisible()) return;
  Hide();
  emit Closed(accept);
}

void TPopupBehavior::RequestClose() {
  if (CloseRequest)
    CloseRequest(false);
  else
    ClosePopup(false);
}

bool TPopupBehavior::InsidePopupOrOwner(QObject* object) const {
  // Windows the popup opens (a menu) have it as their parent.
  for (QObject* o = object; o != nullptr; o = o->parent())
    if (o == popup_ || o == owner_) return true;
  return false;
}

bool TPopupBehavior::eventFilter(QObject* watched, QEvent* event) {
  if (!popup_->isVisible()) return QObject::eventFilter(watched, event);
  if (watched == owner_) {
    switch (event->type()) {
      case QEvent::FocusOut:
        // A menu the popup or the owner opens takes the focus for a while.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) break;
        // Some platforms activate every window that is shown; the popup
        // then hands the activation straight back instead of closing.
        if (QApplication::activeWindow() == popup_) {
          if (owner_->window()) owner_->window()->activateWindow();
          break;
        }
        RequestClose();
        break;
      case QEvent::Hide:
        RequestClose();
        break;
      case QEvent::KeyPress:
        if (!CloseRequest && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
          ClosePopup(false);
          return true;
        }
        break;
      default:
        break;
    }
  }
  if (watched == ownerWindow_ && ownerWindow_ != owner_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Hide:
        RequestClose();
        break;
      case QEvent::WindowDeactivate:
        if (QApplication::activeWindow() != popup_) RequestClose();
        break;
      default:
        break;
    }
  }
  if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
      !InsidePopupOrOwner(watched))
    RequestClose();
  return QObject::eventFilter(watched, event);
}

}  // namespace notarra
