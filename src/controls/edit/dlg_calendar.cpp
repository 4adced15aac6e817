#include "controls/edit/dlg_calendar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

namespace notarra {

TVelaDlgCalendar::TVelaDlgCalendar(QWidget* owner) : TVelaCalendar(owner), behavior_(new TPopupBehavior(this, owner)) {
  hide();
}

TVelaDlgCalendar::~TVelaDlgCalendar() = default;

bool TVelaDlgCalendar::ForwardKey(QKeyEvent* event) {
  int days = 0;
  switch (event->key()) {
    case Qt::Key_Left: days = -1; break;
    case Qt::Key_Right: days = 1; break;
    case Qt::Key_Up: days = -7; break;
    case Qt::Key_Down: days = 7; break;
    case Qt::Key_PageUp:
      PrevMonthButton()->click();
      return true;
    case Qt::Key_PageDown:
      NextMonthButton()->click();
      return true;
    default:
      return false;
  }
  SetDate(Date() + days);
  return true;
}

void TVelaDlgCalendar::mouseReleaseEvent(QMouseEvent* event) {
  TVelaCalendar::mouseReleaseEvent(event);
  OnMouseUp(this, event);
}

}  // namespace notarra
