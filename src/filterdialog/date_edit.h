// TsfDateEdit: the filter dialog's date picker. A line edit that holds a
// date (or a date and a time) as text, with a button that drops down the
// calendar under it. Two-digit years are read in the century window that
// starts with 1950 (50..99 are 1950..1999, 00..49 are 2000..2049). An empty
// text means no date.
#pragma once

#include <QLineEdit>
#include <string>

#include "platform/date_time.h"

class QToolButton;

namespace notarra {

class TPopupWindow;
class TVelaCalendar;

enum TsfDateEditKind { dtkDate, dtkDateTime };

class TsfDateEdit : public QLineEdit {
  Q_OBJECT

public:
  explicit TsfDateEdit(QWidget* parent = nullptr);
  ~TsfDateEdit() override;

  // Windows-1252 texts.
  std::string Text() const;
  void SetText(const std::string& value);

  TsfDateEditKind Kind() const { return kind_; }
  void SetKind(TsfDateEditKind kind) { kind_ = kind; }

  // Reads the text as a date (with a time for dtkDateTime); false when the
  // text is empty or no date.
  bool ReadDateTime(TDateTime& value) const;
  // The date and time parts of the text; 0 when it holds none.
  TDateTime DatePart() const;
  TDateTime TimePart() const;
  // Shows the value: the date, and for dtkDateTime its time unless midnight.
  void SetDateTime(TDateTime value);

  void DropDown();
  void CloseUp(bool accept);
  bool DroppedDown() const;
  QToolButton* DropButton() const { return button_; }
  TVelaCalendar* Calendar() const { return calendar_; }
  TPopupWindow* Popup() const { return popup_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  void CalendarSelect();

  TsfDateEditKind kind_ = dtkDate;
  QToolButton* button_ = nullptr;
  TPopupWindow* popup_ = nullptr;
  TVelaCalendar* calendar_ = nullptr;
};

// A picker text read as a date or a date and time, two-digit years in the
// window from 1950.
bool ReadPickerText(const std::string& text, bool withTime, TDateTime& value);

}  // namespace notarra
