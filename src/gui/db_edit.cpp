#include "gui/db_edit.h"

#include <QApplication>
#include <QKeyEvent>

#include "dataset/field.h"
#include "gui/exception_guard.h"

namespace notarra {

namespace {

Qt::Alignment AlignmentOf(const TField* field) {
  const Qt::Alignment vertical = Qt::AlignVCenter;
  if (field == nullptr) return Qt::AlignLeft | vertical;
  switch (field->Alignment()) {
    case taRightJustify: return Qt::AlignRight | vertical;
    case taCenter: return Qt::AlignHCenter | vertical;
    default: return Qt::AlignLeft | vertical;
  }
}

}  // namespace

TDBEdit::TDBEdit(QWidget* parent) : TCustomMaskEdit(parent), TFieldDataControl(this) {
  // UpdateData validates the mask itself, with the error shown once.
  SetValidateOnExit(false);
  setReadOnly(true);
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::SetMaxLength(int value) {
  maxLength_ = value < 0 ? 0 : value;
  ApplyMaxLength();
}

void TDBEdit::ApplyMaxLength() {
  int limit = maxLength_;
  if (limit == 0 && Field() != nullptr && Field()->DataType() == ftString) limit = Field()->Size();
  TCustomMaskEdit::SetMaxLength(limit);
}

void TDBEdit::DataChange() {
  TField* field = Field();
  setAlignment(AlignmentOf(field));
  if (field != nullptr) {
    SetEditMask(field->EditMask());
    ApplyMaxLength();
    if (Focused() && CanModify())
      SetText(field->Text());
    else
      SetEditText(field->DisplayText());
  } else {
    SetEditMask("");
    ApplyMaxLength();
    SetText("");
  }
  SetModified(false);
  EditingChange();
}

void TDBEdit::UpdateData() {
  ValidateEdit();
  Field()->SetText(Text());
}

void TDBEdit::EditingChange() { setReadOnly(!CanModify()); }

bool TDBEdit::EditCanModify() {
  bool allowed = false;
  RunGuarded([&] { allowed = EditForChange(); });
  return allowed;
}

bool TDBEdit::EditCanAcceptChar(char c) {
  if (Field() == nullptr || Field()->IsValidChar(c)) return true;
  QApplication::beep();
  return false;
}

void TDBEdit::Changed() {
  RunGuarded([this] { ContentChanged(); });
  TCustomMaskEdit::Changed();
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // With nothing to throw away, Escape goes on to the window (a dialog's Cancel).
      if (DataLink().IsModified() || isModified()) {
        RunGuarded([this] { ResetContent(); });
        selectAll();
        event->accept();
        return;
      }
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      CommitChange();
      break;
    default:
      break;
  }
  TCustomMaskEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent* event) {
  // The edit form first, so that the selection made on entering covers it.
  RunGuarded([&] { HandleFocusIn(event); });
  TCustomMaskEdit::focusInEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
  TCustomMaskEdit::focusOutEvent(event);
  RunGuarded([&] { HandleFocusOut(event); });
}

}  // namespace notarra
