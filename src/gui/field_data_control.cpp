#include "gui/field_data_control.h"

#include <QFocusEvent>
#include <QTimer>
#include <QWidget>
#include <exception>

#include "gui/exception_guard.h"
#include "platform/scope_guard.h"

namespace notarra {

TFieldDataControl::TFieldDataControl(QWidget* control) : control_(control) {
  link_.OnDataChange = [this](TObject*) { LinkDataChange(); };
  link_.OnEditingChange = [this](TObject*) { EditingChange(); };
  link_.OnActiveChange = [this](TObject*) { EditingChange(); };
  link_.OnUpdateData = [this](TObject*) { LinkUpdateData(); };
  link_.OnFocusControl = [this](TFieldDataLink*, bool& taken) { LinkFocusControl(taken); };
}

TFieldDataControl::~TFieldDataControl() {
  // The derived control is gone by now: no notice may reach it any more.
  link_.OnDataChange = nullptr;
  link_.OnEditingChange = nullptr;
  link_.OnActiveChange = nullptr;
  link_.OnUpdateData = nullptr;
  link_.OnFocusControl = nullptr;
}

void TFieldDataControl::SetDataSource(TDataSource* source) { link_.SetDataSource(source); }

void TFieldDataControl::SetDataField(const std::string& name) { link_.SetFieldName(name); }

void TFieldDataControl::SetReadOnly(bool value) {
  link_.SetReadOnly(value);
  EditingChange();
}

void TFieldDataControl::LinkDataChange() {
  if (!holdContent_) DataChange();
}

void TFieldDataControl::LinkUpdateData() { UpdateData(); }

void TFieldDataControl::LinkFocusControl(bool& taken) {
  if (!control_->isVisible() || !control_->isEnabled()) return;
  control_->setFocus(Qt::OtherFocusReason);
  taken = true;
}

bool TFieldDataControl::EditForChange() {
  if (link_.Editing()) return true;
  if (!link_.CanModify()) return false;
  // Entering edit tells the links that the record changed; the content the
  // user is changing must not be replaced by the field's meanwhile.
  holdContent_ = true;
  // Guards end in reverse order: the hold is lifted before a failed edit resets the content.
  ScopeFail reset([&] { link_.Reset(); });
  ScopeExit release([&] { holdContent_ = false; });
  return link_.Edit();
}

void TFieldDataControl::ContentChanged() {
  if (!EditForChange()) {
    link_.Reset();
    return;
  }
  link_.Modified();
}

bool TFieldDataControl::CommitChange() {
  const bool pending = link_.IsModified();
  bool written = false;
  RunGuarded([&] {
    link_.UpdateRecord();
    written = true;
  });
  // The field may normalise what was typed; show what it holds.
  if (written && pending) link_.Reset();
  return written;
}

void TFieldDataControl::HandleFocusIn(QFocusEvent*) {
  if (focused_) return;
  focused_ = true;
  // Show the edit form, unless a change is still pending (the focus came
  // back after a failed write).
  if (!link_.IsModified()) link_.Reset();
}

void TFieldDataControl::HandleFocusOut(QFocusEvent* event) {
  // Switching windows or opening a menu or a message box is not leaving.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  if (refocusing_ || !focused_) return;
  std::exception_ptr error;
  try {
    link_.UpdateRecord();
  } catch (...) {
    error = std::current_exception();
  }
  if (!error) {
    focused_ = false;
    link_.Reset();
    return;
  }
  // Not from inside the focus change: take the focus back, then tell.
  refocusing_ = true;
  QTimer::singleShot(0, control_, [this, error] {
    refocusing_ = false;
    // A control whose page was switched away would take the keyboard while
    // nobody sees it: it stays left, its text waiting for the user's return.
    if (control_->isVisible() && control_->isEnabled())
      control_->setFocus(Qt::OtherFocusReason);
    else
      focused_ = false;
    RunGuarded([&] { std::rethrow_exception(error); });
  });
}

}  // namespace notarra
