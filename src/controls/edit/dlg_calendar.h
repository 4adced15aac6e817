// TVelaDlgCalendar: the calendar a data edit drops down, a TVelaCalendar
// with the popup window behaviour. The edit sets its date before showing
// it; a day click, the today bar and Enter pick a date (OnSelectDate).
// Keys typed in the edit reach it through ForwardKey: the arrows move the
// day by one or by a week, Page Up and Page Down by a month. A mouse
// release on the calendar's own background goes to OnMouseUp.
#pragma once

#include "controls/edit/calendar.h"
#include "gui/popup_behavior.h"

namespace notarra {

class TVelaDlgCalendar : public TVelaCalendar {
  Q_OBJECT

public:
  explicit TVelaDlgCalendar(QWidget* owner);
  ~TVelaDlgCalendar() override;

  TPopupBehavior* Behavior() const { return behavior_; }

  bool ForwardKey(QKeyEvent* event);

  TPopupMouseEvent OnMouseUp;

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  TPopupBehavior* behavior_;
};

}  // namespace notarra
