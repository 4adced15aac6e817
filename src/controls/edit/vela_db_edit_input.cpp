// The data edit's keyboard, mouse, focus and painting.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include "controls/edit/calculator.h"
#include "controls/edit/dlg_calendar.h"
#include "controls/edit/popup_tree.h"
#include "controls/edit/vela_db_edit.h"
#include "controls/edit/vela_listbox.h"
#include "dataset/field.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/key_input.h"

namespace notarra {

namespace {

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// The part of a popup that takes the mouse: a scroll area's viewport, or
// the popup itself.
QWidget* MouseTarget(QWidget* popup) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(popup)) return area->viewport();
  return popup;
}

}  // namespace

// --------------------------------------------------------------- keys

bool TVelaDBEdit::HandleKey(QKeyEvent* event) {
  const int key = event->key();
  const bool alt = event->modifiers().testFlag(Qt::AltModifier);
  if ((IsEnter(key) || key == Qt::Key_Escape) && PopupShowing() && !alt) {
    CloseUp(key != Qt::Key_Escape);
    return true;
  }
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && alt) {
    if (PopupShowing())
      CloseUp(true);
    else
      DropDown();
    return true;
  }
  return false;
}

bool TVelaDBEdit::SendKeyToPopup(QKeyEvent* event) {
  if (activePopup_ == nullptr || !activePopup_->isVisible()) return false;
  if (activePopup_ == lookupList_) return lookupList_->ForwardKey(event);
  if (activePopup_ == itemList_) return itemList_->ForwardKey(event);
  if (activePopup_ == tree_) return tree_->ForwardKey(event);
  if (activePopup_ == calendar_) return calendar_->ForwardKey(event);
  if (activePopup_ == calculator_) return calculator_->ForwardKey(event);
  return false;
}

void TVelaDBEdit::Navigate(int direction) {
  // Leaving writes the change (focus out); a failed write keeps the focus.
  focusNextPrevChild(direction > 0);
}

void TVelaDBEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  bool done = false;
  RunGuarded([&] {
    if (dialogStyle_ == vdsCustomDlg && IsEnter(key) && mods == Qt::ControlModifier) {
      OnCustomDlg(this);
      done = true;
      return;
    }
    if (HandleKey(event)) {
      done = true;
      return;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && !PopupShowing() &&
        !mods.testAnyFlags(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) {
      Navigate(key == Qt::Key_Down ? 1 : -1);
      done = true;
      return;
    }
    char c = 0;
    const bool typed = TypedChar(event, c) && static_cast<unsigned char>(c) > 32;
    if (typed && autoDropDown_ && !PopupShowing() && (dialogStyle_ == vdsCombo || dialogStyle_ == vdsLookup))
      DropDown();
    if (PopupShowing()) {
      // The calculator takes every key; the lists take what they search with.
      if (SendKeyToPopup(event) || activePopup_ == calculator_) done = true;
      return;
    }
    if (IsEnter(key)) {
      if (enterAsTab_) {
        Navigate(1);
        done = true;
      }
      return;
    }
    if (key == Qt::Key_Escape) {
      if (Bound())
        ResetContent();
      else
        Reset();
      selectAll();
      done = true;
      return;
    }
    if (style_ == vcsDropDownList && dialogStyle_ != vdsEdit && dialogStyle_ != vdsCustomDlg) {
      // The text holds list entries only: a space opens the list, other
      // typing is refused, and deleting empties the whole text.
      if (TypedChar(event, c) && c == ' ') {
        DropDown();
        done = true;
      } else if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        selectAll();
      } else if (IsModifyingKey(event)) {
        QApplication::beep();
        done = true;
      }
    }
  });
  if (done) {
    event->accept();
    return;
  }
  if (IsEnter(key) && !enterAsTab_ && !PopupShowing()) {
    // Passed on to the window (a dialog's default button).
    event->ignore();
    return;
  }
  TCustomMaskEdit::keyPressEvent(event);
}

bool TVelaDBEdit::event(QEvent* event) {
  // Keys the open popup uses must not be taken by shortcuts of the window.
  if (event->type() == QEvent::ShortcutOverride && PopupShowing()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape || IsEnter(key)) {
      event->accept();
      return true;
    }
  }
  return TCustomMaskEdit::event(event);
}

// -------------------------------------------------------------- focus

void TVelaDBEdit::UpdateShownAlignment() {
  Qt::Alignment align = Qt::AlignLeft;
  // Aligned text is for reading; while typing it stays at the left.
  if (!hasFocus() && (dialogStyle_ == vdsEdit || dialogStyle_ == vdsCalculator)) {
    if (alignment_ == taRightJustify) align = Qt::AlignRight;
    if (alignment_ == taCenter) align = Qt::AlignHCenter;
  }
  setAlignment(align | Qt::AlignVCenter);
}

void TVelaDBEdit::focusInEvent(QFocusEvent* event) {
  RunGuarded([&] { HandleFocusIn(event); });
  UpdateShownAlignment();
  TCustomMaskEdit::focusInEvent(event);
}

void TVelaDBEdit::focusOutEvent(QFocusEvent* event) {
  TCustomMaskEdit::focusOutEvent(event);
  RunGuarded([&] { HandleFocusOut(event); });
  UpdateShownAlignment();
}

void TVelaDBEdit::hideEvent(QHideEvent* event) {
  RunGuarded([&] { CloseUp(false); });
  TCustomMaskEdit::hideEvent(event);
}

// -------------------------------------------------------------- mouse

QRect TVelaDBEdit::ButtonRect() const {
  if (dialogStyle_ == vdsEdit) return {};
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  const QRect client = rect().adjusted(frame, frame, -frame, -frame);
  const int w = std::min(ScaledPx(this, buttonWidth_), client.width());
  return {client.right() + 1 - w, client.top(), w, client.height()};
}

void TVelaDBEdit::UpdateTextArea() {
  setTextMargins(0, 0, dialogStyle_ != vdsEdit ? ButtonRect().width() + ScaledPx(this, 2) : 0, 0);
  update();
}

void TVelaDBEdit::resizeEvent(QResizeEvent* event) {
  TCustomMaskEdit::resizeEvent(event);
  UpdateTextArea();
}

void TVelaDBEdit::TrackButton(const QPoint& pos) {
  const bool pressed = ButtonRect().contains(pos);
  if (pressed == buttonPressed_) return;
  buttonPressed_ = pressed;
  update(ButtonRect());
}

void TVelaDBEdit::StopTracking() {
  if (!buttonTracking_) return;
  TrackButton(QPoint(-1, -1));
  buttonTracking_ = false;
}

void TVelaDBEdit::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton && dialogStyle_ != vdsEdit &&
      (ButtonRect().contains(pos) || style_ == vcsDropDownList)) {
    RunGuarded([&] {
      if (PopupShowing()) {
        CloseUp(false);
        return;
      }
      setFocus(Qt::MouseFocusReason);
      buttonTracking_ = true;
      TrackButton(pos);
      if (dialogStyle_ != vdsCustomDlg) DropDown();
    });
    event->accept();
    return;
  }
  TCustomMaskEdit::mousePressEvent(event);
}

void TVelaDBEdit::HandOverToPopup(QMouseEvent* event) {
  QWidget* target = MouseTarget(activePopup_);
  const QPointF global = event->globalPosition();
  const QPointF local = target->mapFromGlobal(global);
  StopTracking();
  popupHasMouse_ = true;
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, event->modifiers());
  QCoreApplication::sendEvent(target, &press);
}

void TVelaDBEdit::ForwardMouseToPopup(QMouseEvent* event) {
  if (!PopupShowing()) return;
  QWidget* target = MouseTarget(activePopup_);
  const QPointF global = event->globalPosition();
  QMouseEvent copy(event->type(), target->mapFromGlobal(global), global, event->button(), event->buttons(),
                   event->modifiers());
  QCoreApplication::sendEvent(target, &copy);
}

void TVelaDBEdit::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (popupHasMouse_) {
    ForwardMouseToPopup(event);
    return;
  }
  if (buttonTracking_) {
    TrackButton(pos);
    if (PopupShowing()) {
      QWidget* target = MouseTarget(activePopup_);
      if (target->rect().contains(target->mapFromGlobal(event->globalPosition()).toPoint())) HandOverToPopup(event);
    }
    event->accept();
    return;
  }
  const bool hand = dialogStyle_ != vdsEdit && (ButtonRect().contains(pos) || style_ == vcsDropDownList);
  setCursor(hand ? Qt::PointingHandCursor : Qt::IBeamCursor);
  TCustomMaskEdit::mouseMoveEvent(event);
}

void TVelaDBEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (popupHasMouse_) {
    popupHasMouse_ = false;
    ForwardMouseToPopup(event);
    event->accept();
    return;
  }
  if (buttonTracking_) {
    const bool wasPressed = buttonPressed_;
    StopTracking();
    if (dialogStyle_ == vdsCustomDlg && wasPressed && event->button() == Qt::LeftButton)
      RunGuarded([&] { DropDown(); });
    event->accept();
    return;
  }
  TCustomMaskEdit::mouseReleaseEvent(event);
}

void TVelaDBEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click on the button is a click, not a word selection.
  if (dialogStyle_ != vdsEdit && ButtonRect().contains(event->position().toPoint())) {
    event->accept();
    return;
  }
  TCustomMaskEdit::mouseDoubleClickEvent(event);
}

void TVelaDBEdit::PopupMouseUp(QWidget* popup, QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || popup != activePopup_) return;
  const QPoint pos = event->position().toPoint();
  if (popup == tree_ && tree_->OnExpandButton(pos)) return;
  const bool inside = MouseTarget(popup)->rect().contains(pos);
  RunGuarded([&] { CloseUp(inside); });
}

// ----------------------------------------------------------- painting

void TVelaDBEdit::paintEvent(QPaintEvent* event) {
  TCustomMaskEdit::paintEvent(event);
  if (dialogStyle_ == vdsEdit) return;
  QPainter painter(this);
  PaintButton(painter);
}

void TVelaDBEdit::PaintButton(QPainter& painter) {
  const QRect r = ButtonRect();
  if (r.isEmpty()) return;
  const bool pushed = buttonPressed_;
  const QPalette& pal = palette();
  if (dialogStyle_ == vdsCombo || dialogStyle_ == vdsLookup || dialogStyle_ == vdsTree) {
    QStyleOption option;
    option.initFrom(this);
    option.rect = r;
    option.state = QStyle::State_Enabled | (pushed ? QStyle::State_Sunken : QStyle::State_Raised);
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
    // The arrow is drawn inactive while there is no popup to open.
    if (activePopup_ == nullptr || !isEnabled()) option.state &= ~QStyle::State_Enabled;
    const int inset = std::max(2, r.width() / 4);
    option.rect = r.adjusted(inset, inset, -inset, -inset).translated(pushed ? 1 : 0, pushed ? 1 : 0);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, this);
    return;
  }
  if (pushed) {
    painter.fillRect(r, pal.button());
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
  } else {
    qDrawShadePanel(&painter, r, pal, false, 1, &pal.button());
  }
  const int shift = pushed ? 1 : 0;
  if (dialogStyle_ == vdsCustomDlg) {
    const int bw = ButtonRect().width();
    const int side = buttonWidth_ <= 7 ? ScaledPx(this, 1) : std::max(1, bw / 8);
    const QPoint centre = r.center() + QPoint(shift - 1, shift - 1);
    for (int i = -1; i <= 1; ++i) {
      const QRect square(centre.x() - side / 2 + i * 2 * side, centre.y() - side / 2 + 1, side, side);
      painter.fillRect(square, Qt::black);
    }
    return;
  }
  const QIcon& glyph = dialogStyle_ == vdsCalendar ? calendarGlyph_ : calculatorGlyph_;
  const QSize size = ScaledSize(this, 11, 13);
  const QRect at(r.left() + (r.width() - size.width()) / 2 + shift, r.top() + (r.height() - size.height()) / 2 + shift,
                 size.width(), size.height());
  glyph.paint(&painter, at, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

}  // namespace notarra
