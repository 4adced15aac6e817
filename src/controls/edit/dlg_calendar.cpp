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
  if (const int days = ArrowKeyDays(event->key())) {
    SetDate(Date() + days);
    return true;
  }
  switch (event->key()) {
    case Qt::Key_PageUp:
      PrevMonthButton()->click();
      return true;
    case Qt::Key_PageDown:
      NextMonthButton()->click();
      return true;
    default:
      return false;
  }
}

void TVelaDlgCalendar::mouseReleaseEvent(QMouseEvent* event) {
  TVelaCalendar::mouseReleaseEvent(event);
  OnMouseUp(this, event);
}

}  // namespace notarra
