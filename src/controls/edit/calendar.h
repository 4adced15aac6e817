// TVelaCalendar: a small month calendar of fixed size, made of child
// controls on a panel: a title bar with buttons for the previous and next
// year and month, the month name (click it for a menu of the months) and
// the year; a row of weekday names in the locale's order; 42 day buttons;
// and a "today" bar at the bottom.
//
// It keeps a shown date (Day, Month, Year, Date, Text). Setting any of them
// clamps or refuses values out of range and refreshes the display, which
// fires OnChangeDate; a day click, a click on the today bar or Enter fire
// OnSelectDate. The week starts on Sunday when the locale says so and on
// Monday otherwise; that, the weekday names and the today text are fixed
// when the calendar is made. Its size is fixed too (158 by 160 pixels at
// 96 dpi, scaled for the screen).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gui/custom_panel.h"
#include "platform/date_time.h"
#include "platform/events.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMenu;
class QToolButton;

namespace notarra {

class TVelaCalendar;
using TCalendarNotifyEvent = TEvent<TVelaCalendar*>;

class TVelaCalendar : public TCustomPanel {
  Q_OBJECT

public:
  static constexpr int kWidth = 158;
  static constexpr int kHeight = 160;
  static constexpr int kDayButtons = 42;

  explicit TVelaCalendar(QWidget* parent = nullptr);
  ~TVelaCalendar() override;

  // The days an arrow key moves the selection in any calendar that takes
  // keys for one (left and right a day, up and down a week); 0 for other keys.
  static int ArrowKeyDays(int key);

  uint16_t Day() const { return day_; }
  // Clamped to 1 and to the days of the shown month.
  void SetDay(uint16_t value);
  uint16_t Month() const { return month_; }
  // Clamped to 1..12; the day is cut to the days of the new month.
  void SetMonth(uint16_t value);
  uint16_t Year() const { return year_; }
  // Only 1901..2099 is taken; the display refreshes either way.
  void SetYear(uint16_t value);
  TDateTime Date() const { return date_; }
  // A value before 1900-01-01 or after 2100-01-01 00:00 shows today.
  void SetDate(TDateTime value);
  // The date in the short date format; a text that is no date is ignored.
  std::string Text() const;
  void SetText(const std::string& value);

  bool MondayFirst() const { return mondayFirst_; }

  // Redraws the month: the day is cut to the month's length, the buttons
  // are numbered, the day's button pressed; then OnChangeDate.
  void UpdateDays();

  // The parts, for the code that drives them: days 1..42, weekdays 1..7.
  QToolButton* DayButton(int n) const { return days_.at(static_cast<std::size_t>(n - 1)); }
  QLabel* WeekdayLabel(int i) const { return weekdays_.at(static_cast<std::size_t>(i - 1)); }
  QToolButton* PrevYearButton() const { return prevYear_; }
  QToolButton* PrevMonthButton() const { return prevMonth_; }
  QToolButton* NextMonthButton() const { return nextMonth_; }
  QToolButton* NextYearButton() const { return nextYear_; }
  QLabel* MonthLabel() const;
  QLabel* YearLabel() const { return yearLabel_; }
  QLabel* TodayBar() const;
  QMenu* MonthMenu() const { return monthMenu_; }

  // The user picked a date (day button, today bar, Enter).
  TCalendarNotifyEvent OnSelectDate;
  // The display was refreshed.
  TCalendarNotifyEvent OnChangeDate;

protected:
  bool CanResize(int& width, int& height) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void CreateTitle();
  void CreateWeekdays();
  void CreateDays();
  void StepMonth(int delta);
  void DayClick(int n);
  void TodayClick();
  void ShowMonthMenu();

  uint16_t day_ = 1;
  uint16_t month_ = 1;
  uint16_t year_ = 2000;
  TDateTime date_ = 0;
  bool mondayFirst_ = true;

  QToolButton* prevYear_ = nullptr;
  QToolButton* prevMonth_ = nullptr;
  QToolButton* nextMonth_ = nullptr;
  QToolButton* nextYear_ = nullptr;
  QLabel* titleBar_ = nullptr;
  QLabel* yearLabel_ = nullptr;
  QLabel* monthLabel_ = nullptr;
  QLabel* todayBar_ = nullptr;
  QMenu* monthMenu_ = nullptr;
  std::array<QLabel*, 7> weekdays_{};
  std::array<QToolButton*, kDayButtons> days_{};
  QButtonGroup* dayGroup_ = nullptr;
};

}  // namespace notarra
