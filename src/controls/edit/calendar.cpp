#include "controls/edit/calendar.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/qt_text.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"

namespace notarra {

namespace {

constexpr int kFirstYear = 1901;
constexpr int kLastYear = 2099;

// A label that takes the mouse itself, as the calendar's captions do: a
// click on it is its own (the month menu, today), never the calendar's.
class TCalendarLabel : public QLabel {
public:
  using QLabel::QLabel;
  std::function<void()> onClick;

protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    event->accept();
    if (onClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick();
  }
};

void SetTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    palette.setColor(role, color);
  widget->setPalette(palette);
}

QFont SizedFont(const QFont& base, int points, bool bold) {
  QFont font = base;
  font.setPointSize(points);
  font.setBold(bold);
  return font;
}

// The bars in the colour of an active window's title.
void CaptionColours(QLabel* bar) {
  QPalette palette = bar->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::WindowText, Qt::white);
  bar->setPalette(palette);
  bar->setAutoFillBackground(true);
}

}  // namespace

TVelaCalendar::TVelaCalendar(QWidget* parent) : TCustomPanel(parent) {
  setFixedSize(ScaledSize(this, kWidth, kHeight));
  SetBevelInner(bvLowered);
  SetBevelOuter(bvRaised);
  setFont(SizedFont(font(), 8, false));
  setFocusPolicy(Qt::ClickFocus);
  // The week starts on Sunday only where the locale says so.
  mondayFirst_ = FormatSettings().FirstDayOfWeek != 0;

  CreateTitle();
  CreateWeekdays();
  auto* separator = new QFrame(this);
  separator->setFrameStyle(QFrame::HLine | QFrame::Raised);
  separator->setGeometry(ScaledRect(this, 2, 38, 154, 2));

  auto* today = new TCalendarLabel(this);
  todayBar_ = today;
  todayBar_->setObjectName("TodayBar");
  CaptionColours(todayBar_);
  todayBar_->setFont(SizedFont(font(), 8, true));
  todayBar_->setAlignment(Qt::AlignCenter);
  todayBar_->setGeometry(ScaledRect(this, 2, kHeight - 2 - 20, kWidth - 4, 20));
  todayBar_->setText(tr("Today is %1").arg(ToQString(DateToStr(::notarra::Date()))));
  todayBar_->setToolTip(tr("Click to select today"));
  today->onClick = [this] { RunGuarded([this] { TodayClick(); }); };

  int year = 0, month = 0, day = 0;
  DecodeDate(::notarra::Date(), year, month, day);
  year_ = static_cast<uint16_t>(year);
  month_ = static_cast<uint16_t>(month);
  day_ = static_cast<uint16_t>(day);
  CreateDays();
  UpdateDays();
}

TVelaCalendar::~TVelaCalendar() = default;

void TVelaCalendar::CreateTitle() {
  titleBar_ = new QLabel(this);
  CaptionColours(titleBar_);
  titleBar_->setGeometry(ScaledRect(this, 2, 2, kWidth - 4, 22));

  struct Nav {
    QToolButton*& button;
    const char* text;
    const char* name;
    int left, width;
    const char* hint;
    std::function<void()> action;
  };
  const Nav navs[] = {
      {prevYear_, "<<", "PrevYear", 2, 18, QT_TR_NOOP("Previous year"), [this] { SetYear(static_cast<uint16_t>(year_ - 1)); }},
      {prevMonth_, "<", "PrevMonth", 20, 16, QT_TR_NOOP("Previous month"), [this] { StepMonth(-1); }},
      {nextMonth_, ">", "NextMonth", 121, 16, QT_TR_NOOP("Next month"), [this] { StepMonth(1); }},
      {nextYear_, ">>", "NextYear", 137, 18, QT_TR_NOOP("Next year"), [this] { SetYear(static_cast<uint16_t>(year_ + 1)); }},
  };
  for (const Nav& nav : navs) {
    auto* button = new QToolButton(this);
    button->setObjectName(nav.name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setText(nav.text);
    button->setFont(SizedFont(font(), 10, true));
    SetTextColor(button, Qt::white);
    // Raised under the mouse in the title bar's colour, not as a white box.
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Highlight));
    button->setPalette(palette);
    button->setGeometry(ScaledRect(this, nav.left, 2, nav.width, 22));
    button->setToolTip(tr(nav.hint));
    connect(button, &QToolButton::clicked, this, [action = nav.action] { RunGuarded(action); });
    nav.button = button;
  }

  // The month name gets the room between the month buttons and the year,
  // less a small gap so that name and year never run together.
  auto* monthLabel = new TCalendarLabel(this);
  monthLabel_ = monthLabel;
  monthLabel_->setObjectName("MonthLabel");
  monthLabel_->setAlignment(Qt::AlignCenter);
  monthLabel_->setGeometry(ScaledRect(this, 36, 6, 54, 13));
  SetTextColor(monthLabel_, Qt::white);
  monthLabel_->setToolTip(tr("Click to change month"));
  monthLabel->onClick = [this] { ShowMonthMenu(); };
  monthLabel_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(monthLabel_, &QWidget::customContextMenuRequested, this, [this] { ShowMonthMenu(); });

  yearLabel_ = new TCalendarLabel(this);
  yearLabel_->setObjectName("YearLabel");
  yearLabel_->setGeometry(ScaledRect(this, 93, 6, 27, 13));
  SetTextColor(yearLabel_, Qt::white);

  monthMenu_ = new QMenu(this);
  const TFormatSettings& fs = FormatSettings();
  for (int m = 1; m <= 12; ++m) {
    const std::string caption = (m < 10 ? "0" : "") + std::to_string(m) + ". " + fs.LongMonthNames[m - 1];
    QAction* item = monthMenu_->addAction(ToQString(caption));
    item->setObjectName(QString("N%1").arg(m));
    item->setData(m);
    connect(item, &QAction::triggered, this, [this, m] { RunGuarded([&] { SetMonth(static_cast<uint16_t>(m)); }); });
  }
}

void TVelaCalendar::CreateWeekdays() {
  const TFormatSettings& fs = FormatSettings();
  // The names share one font, made smaller when the widest would not fit
  // its column (long names, wide fonts).
  QFont small = font();
  const int room = ScaledPx(this, 21);
  for (int points = small.pointSize(); points > 5; --points) {
    small.setPointSize(points);
    const QFontMetrics metrics(small);
    int widest = 0;
    for (const std::string& name : fs.ShortDayNames) widest = std::max(widest, metrics.horizontalAdvance(ToQString(name)));
    if (widest <= room) break;
  }
  for (int i = 1; i <= 7; ++i) {
    auto* label = new TCalendarLabel(this);
    label->setObjectName(QString("Weekday%1").arg(i));
    label->setFont(small);
    // The locale's names start with Sunday.
    const int day = mondayFirst_ ? i % 7 : i - 1;
    label->setText(ToQString(fs.ShortDayNames[static_cast<std::size_t>(day)]));
    // Centred over its column: the locale's names differ in width.
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(ScaledRect(this, 2 + 22 * (i - 1), 25, 22, 13));
    weekdays_[static_cast<std::size_t>(i - 1)] = label;
  }
}

void TVelaCalendar::CreateDays() {
  dayGroup_ = new QButtonGroup(this);
  dayGroup_->setExclusive(true);
  for (int n = 1; n <= kDayButtons; ++n) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString("Day%1").arg(n));
    button->setAutoRaise(true);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(ScaledRect(this, 2 + 22 * ((n - 1) % 7), 41 + 16 * ((n - 1) / 7), 22, 16));
    dayGroup_->addButton(button, n);
    connect(button, &QToolButton::clicked, this, [this, n] { RunGuarded([&] { DayClick(n); }); });
    days_[static_cast<std::size_t>(n - 1)] = button;
  }
  // Weekends in red: Saturday and Sunday are columns 6 and 7 in a week
  // from Monday, 7 and 1 in a week from Sunday.
  const int weekendA = mondayFirst_ ? 6 : 1;
  for (int column : {weekendA, 7}) {
    SetTextColor(weekdays_[static_cast<std::size_t>(column - 1)], Qt::red);
    for (int n = column; n <= kDayButtons; n += 7) SetTextColor(days_[static_cast<std::size_t>(n - 1)], Qt::red);
  }
}

QLabel* TVelaCalendar::MonthLabel() const { return monthLabel_; }
QLabel* TVelaCalendar::TodayBar() const { return todayBar_; }

void TVelaCalendar::SetDay(uint16_t value) {
  const int last = DaysInMonth(year_, month_);
  day_ = static_cast<uint16_t>(std::clamp<int>(value, 1, last));
  UpdateDays();
}

void TVelaCalendar::SetMonth(uint16_t value) {
  month_ = static_cast<uint16_t>(std::clamp<int>(value, 1, 12));
  UpdateDays();
}

void TVelaCalendar::SetYear(uint16_t value) {
  if (value >= kFirstYear && value <= kLastYear) year_ = value;
  UpdateDays();
}

void TVelaCalendar::SetDate(TDateTime value) {
  if (value < EncodeDate(1900, 1, 1) || value > EncodeDate(2100, 1, 1)) value = ::notarra::Date();
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  year_ = static_cast<uint16_t>(year);
  month_ = static_cast<uint16_t>(month);
  day_ = static_cast<uint16_t>(day);
  UpdateDays();
}

std::string TVelaCalendar::Text() const { return DateToStr(date_); }

void TVelaCalendar::SetText(const std::string& value) {
  TDateTime parsed = 0;
  if (TryStrToDate(value, parsed)) SetDate(parsed);
}

// The month buttons step across the year's end past the years SetYear
// takes, but never out of the years a date can hold.
void TVelaCalendar::StepMonth(int delta) {
  if (delta < 0 && month_ == 1) {
    if (year_ <= 1) return;
    --year_;
    SetMonth(12);
  } else if (delta > 0 && month_ == 12) {
    if (year_ >= 9999) return;
    ++year_;
    SetMonth(1);
  } else {
    SetMonth(static_cast<uint16_t>(month_ + delta));
  }
}

void TVelaCalendar::UpdateDays() {
  const int last = DaysInMonth(year_, month_);
  if (day_ > last) day_ = static_cast<uint16_t>(last);
  date_ = EncodeDate(year_, month_, day_);
  const QString monthName = ToQString(FormatSettings().LongMonthNames[month_ - 1]);
  // A long name in a wide system font is set a point smaller rather than cut.
  QFont monthFont = font();
  while (monthFont.pointSizeF() > 6 && QFontMetrics(monthFont).horizontalAdvance(monthName) > monthLabel_->width())
    monthFont.setPointSizeF(monthFont.pointSizeF() - 0.5);
  monthLabel_->setFont(monthFont);
  monthLabel_->setText(monthName);
  yearLabel_->setText(QString::number(year_));

  int first = DayOfWeek(EncodeDate(year_, month_, 1));
  if (mondayFirst_) first = first == 1 ? 7 : first - 1;
  for (int n = 1; n <= kDayButtons; ++n) {
    QToolButton* button = days_[static_cast<std::size_t>(n - 1)];
    const int d = n - first + 1;
    const bool shows = d >= 1 && d <= last;
    button->setText(shows ? QString::number(d) : QString());
    button->setEnabled(shows);
    if (shows && d == day_) button->setChecked(true);
  }
  OnChangeDate(this);
}

void TVelaCalendar::DayClick(int n) {
  bool ok = false;
  const int d = days_[static_cast<std::size_t>(n - 1)]->text().toInt(&ok);
  if (!ok) return;
  day_ = static_cast<uint16_t>(d);
  date_ = EncodeDate(year_, month_, day_);
  OnSelectDate(this);
}

void TVelaCalendar::TodayClick() {
  int year = 0, month = 0, day = 0;
  DecodeDate(::notarra::Date(), year, month, day);
  year_ = static_cast<uint16_t>(year);
  month_ = static_cast<uint16_t>(month);
  day_ = static_cast<uint16_t>(day);
  UpdateDays();
  OnSelectDate(this);
}

void TVelaCalendar::ShowMonthMenu() {
  monthMenu_->popup(monthLabel_->mapToGlobal(QPoint(0, monthLabel_->height())));
}

bool TVelaCalendar::CanResize(int&, int&) { return false; }

void TVelaCalendar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    RunGuarded([this] { OnSelectDate(this); });
    return;
  }
  TCustomPanel::keyPressEvent(event);
}

int TVelaCalendar::ArrowKeyDays(int key) {
  switch (key) {
    case Qt::Key_Left: return -1;
    case Qt::Key_Right: return 1;
    case Qt::Key_Up: return -7;
    case Qt::Key_Down: return 7;
    default: return 0;
  }
}

}  // namespace notarra
