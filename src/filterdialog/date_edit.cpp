#include "filterdialog/date_edit.h"

#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "controls/edit/calendar.h"
#include "gui/dpi_scale.h"
#include "gui/exception_guard.h"
#include "gui/popup_window.h"
#include "gui/qt_text.h"
#include "platform/conversions.h"
#include "platform/format_settings.h"

namespace notarra {

namespace {

constexpr int kCenturyStart = 1950;

}  // namespace

bool ReadPickerText(const std::string& text, bool withTime, TDateTime& value) {
  // A window reaching back from this year to the epoch year puts two-digit
  // years into the hundred years from the epoch on.
  TFormatSettings fs = FormatSettings();
  int year = 0, month = 0, day = 0;
  DecodeDate(Date(), year, month, day);
  fs.TwoDigitYearCenturyWindow = std::max(1, year - kCenturyStart);
  return withTime ? TryStrToDateTime(text, value, fs) : TryStrToDate(text, value, fs);
}

TsfDateEdit::TsfDateEdit(QWidget* parent) : QLineEdit(parent) {
  // The button lives inside the edit: a click on it is a click on the
  // popup's owner and does not close the calendar it is about to toggle.
  button_ = new QToolButton(this);
  button_->setObjectName("DropButton");
  button_->setArrowType(Qt::DownArrow);
  button_->setFocusPolicy(Qt::NoFocus);
  button_->setCursor(Qt::ArrowCursor);
  connect(button_, &QToolButton::clicked, this, [this] {
    if (DroppedDown())
      CloseUp(false);
    else
      DropDown();
  });
  popup_ = new TPopupWindow(this);
  popup_->setObjectName("DatePopup");
  auto* layout = new QVBoxLayout(popup_);
  layout->setContentsMargins(1, 1, 1, 1);
  calendar_ = new TVelaCalendar(popup_);
  layout->addWidget(calendar_);
  calendar_->OnSelectDate = TCalendarNotifyEvent([this](TVelaCalendar*) { CalendarSelect(); });
}

TsfDateEdit::~TsfDateEdit() = default;

std::string TsfDateEdit::Text() const { return FromQString(text()); }

void TsfDateEdit::SetText(const std::string& value) { setText(ToQString(value)); }

bool TsfDateEdit::ReadDateTime(TDateTime& value) const {
  const std::string text = Text();
  return !text.empty() && ReadPickerText(text, kind_ == dtkDateTime, value);
}

TDateTime TsfDateEdit::DatePart() const {
  TDateTime value = 0;
  return ReadDateTime(value) ? std::floor(value) : 0;
}

TDateTime TsfDateEdit::TimePart() const {
  TDateTime value = 0;
  return ReadDateTime(value) ? value - std::floor(value) : 0;
}

void TsfDateEdit::SetDateTime(TDateTime value) {
  const bool time = kind_ == dtkDateTime && value != std::floor(value);
  SetText(time ? DateToStr(value) + " " + TimeToStr(value) : DateToStr(value));
}

bool TsfDateEdit::DroppedDown() const { return popup_->Showing(); }

void TsfDateEdit::DropDown() {
  if (DroppedDown()) return;
  TDateTime value = 0;
  calendar_->SetDate(ReadDateTime(value) ? std::floor(value) : Date());
  popup_->ShowBelow(this);
}

void TsfDateEdit::CloseUp(bool accept) {
  if (!DroppedDown()) return;
  popup_->ClosePopup(accept);
}

void TsfDateEdit::CalendarSelect() {
  // The picked day replaces the date; a time already in the text stays.
  const TDateTime time = kind_ == dtkDateTime ? TimePart() : 0;
  CloseUp(true);
  SetDateTime(std::floor(calendar_->Date()) + time);
  selectAll();
}

void TsfDateEdit::keyPressEvent(QKeyEvent* event) {
  const bool alt = event->modifiers() & Qt::AltModifier;
  if ((alt && (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up)) || event->key() == Qt::Key_F4) {
    if (DroppedDown())
      CloseUp(false);
    else
      DropDown();
    return;
  }
  if (DroppedDown()) {
    // The calendar never has the focus: its keys come through here.
    if (const int days = TVelaCalendar::ArrowKeyDays(event->key())) {
      calendar_->SetDate(calendar_->Date() + days);
      return;
    }
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        RunGuarded([this] { CalendarSelect(); });
        return;
      case Qt::Key_Escape:
        CloseUp(false);
        return;
      case Qt::Key_PageUp:
        calendar_->SetMonth(calendar_->Month() == 1 ? 12 : calendar_->Month() - 1);
        if (calendar_->Month() == 12) calendar_->SetYear(calendar_->Year() - 1);
        return;
      case Qt::Key_PageDown:
        calendar_->SetMonth(calendar_->Month() == 12 ? 1 : calendar_->Month() + 1);
        if (calendar_->Month() == 1) calendar_->SetYear(calendar_->Year() + 1);
        return;
      default:
        break;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TsfDateEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  const int width = ScaledPx(this, 17);
  button_->setGeometry(this->width() - width - 1, 1, width, height() - 2);
  setTextMargins(0, 0, width, 0);
}

}  // namespace notarra
