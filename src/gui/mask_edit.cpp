#include "gui/mask_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTimer>

#include "gui/key_input.h"
#include "gui/qt_text.h"
#include "platform/services.h"

TCustomMaskEdit::TCustomMaskEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (!IsMasked()) Changed();
  });
}

void TCustomMaskEdit::SetEditMask(const std::string& mask) {
  if (mask == maskText_) return;
  const std::string value = Text();
  maskText_ = mask;
  mask_ = TEditMask(mask);
  if (IsMasked()) {
    QLineEdit::setMaxLength(mask_.Length());
  } else {
    QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
  }
  SetText(value);
}

std::string TCustomMaskEdit::EditText() const { return FromQString(text()); }

void TCustomMaskEdit::SetEditText(const std::string& value) {
  std::string shown = value;
  if (IsMasked()) {
    shown.resize(static_cast<size_t>(mask_.Length()), mask_.Blank());
  }
  setText(ToQString(shown));
  original_ = text();
  setCursorPosition(IsMasked() ? std::max(mask_.NextInput(0), 0) : static_cast<int>(text().size()));
}

std::string TCustomMaskEdit::Text() const {
  if (!IsMasked()) return EditText();
  return mask_.Unformat(EditText());
}

void TCustomMaskEdit::SetText(const std::string& value) {
  if (!IsMasked()) {
    setText(ToQString(value));
    original_ = text();
    return;
  }
  SetEditText(mask_.Format(value));
}

void TCustomMaskEdit::SetMaxLength(int value) {
  maxLength_ = value < 0 ? 0 : value;
  if (!IsMasked()) QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomMaskEdit::Reset() {
  if (text() == original_) return;
  setText(original_);
  setModified(false);
  Changed();
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked()) return;
  const int bad = mask_.FirstInvalid(EditText());
  if (bad < 0) return;
  setCursorPosition(bad);
  throw EDBEditError("Invalid input value. Use escape key to abandon changes");
}

void TCustomMaskEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!validateOnExit_ || refocusing_ || !IsMasked() || !isModified()) return;
  // Switching windows or opening a menu is not leaving the edit.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  try {
    ValidateEdit();
  } catch (const EDBEditError& e) {
    // Not from inside the focus change: take the focus back, then tell.
    refocusing_ = true;
    const std::string message = e.Message();
    QTimer::singleShot(0, this, [this, message] {
      setFocus();
      refocusing_ = false;
      ShowError(message);
    });
  }
}

void TCustomMaskEdit::Changed() { emit EditChanged(); }

void TCustomMaskEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && IsMasked() && isModified()) {
    Reset();
    event->accept();
    return;
  }
  if (!isReadOnly() && IsModifyingKey(event)) {
    char c = 0;
    const bool typed = TypedChar(event, c);
    if (!event->text().isEmpty() && event->text()[0].unicode() >= 32 && !typed && !event->matches(QKeySequence::Paste) &&
        !event->matches(QKeySequence::Cut) && event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace) {
      event->accept();  // a character Windows-1252 cannot hold
      return;
    }
    if ((typed && !EditCanAcceptChar(c)) || !EditCanModify()) {
      event->accept();
      return;
    }
  }
  if (IsMasked() && MaskedKey(event)) return;
  QLineEdit::keyPressEvent(event);
}

bool TCustomMaskEdit::MaskedKey(QKeyEvent* event) {
  if (isReadOnly()) return false;
  if (event->matches(QKeySequence::Paste)) {
    PasteMasked();
    event->accept();
    return true;
  }
  if (event->matches(QKeySequence::Cut)) {
    if (hasSelectedText()) {
      QApplication::clipboard()->setText(selectedText());
      ClearMaskedRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
    }
    event->accept();
    return true;
  }
  if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
    event->accept();  // the mask keeps the length; undo is Escape
    return true;
  }
  if (event->key() == Qt::Key_Backspace) {
    if (hasSelectedText()) {
      ClearMaskedRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
    } else {
      const int p = mask_.PriorInput(cursorPosition());
      if (p >= 0) {
        ClearMaskedRange(p, p + 1);
        setCursorPosition(p);
      }
    }
    event->accept();
    return true;
  }
  if (event->key() == Qt::Key_Delete) {
    if (hasSelectedText()) {
      ClearMaskedRange(selectionStart(), selectionStart() + static_cast<int>(selectedText().size()));
    } else {
      const int p = mask_.NextInput(cursorPosition());
      if (p >= 0) ClearMaskedRange(p, p + 1);
    }
    event->accept();
    return true;
  }
  char c = 0;
  if (TypedChar(event, c)) {
    if (!InsertMaskedChar(c)) QApplication::beep();
    event->accept();
    return true;
  }
  return false;
}

bool TCustomMaskEdit::InsertMaskedChar(char c) {
  int cursor = cursorPosition();
  if (hasSelectedText()) {
    const int start = selectionStart();
    ClearMaskedRange(start, start + static_cast<int>(selectedText().size()));
    cursor = start;
  }
  // Typing the literal that comes next steps over it.
  if (cursor < mask_.Length() && mask_.At(cursor).literal && mask_.At(cursor).ch == c) {
    const int next = mask_.NextInput(cursor);
    setCursorPosition(next >= 0 ? next : mask_.Length());
    return true;
  }
  const int pos = mask_.NextInput(cursor);
  char converted = c;
  if (pos < 0 || !mask_.Accepts(pos, c, converted)) return false;
  std::string shown = EditText();
  shown[static_cast<size_t>(pos)] = converted;
  const int next = mask_.NextInput(pos + 1);
  SetMaskedTextKeepingCursor(ToQString(shown), next >= 0 ? next : mask_.Length());
  return true;
}

void TCustomMaskEdit::ClearMaskedRange(int from, int to) {
  std::string shown = EditText();
  for (int i = std::max(from, 0); i < to && i < mask_.Length(); ++i)
    if (!mask_.At(i).literal) shown[static_cast<size_t>(i)] = mask_.Blank();
  SetMaskedTextKeepingCursor(ToQString(shown), from);
}

void TCustomMaskEdit::SetMaskedTextKeepingCursor(const QString& shown, int cursor) {
  if (shown == text()) {
    setCursorPosition(cursor);
    return;
  }
  setText(shown);
  setCursorPosition(cursor);
  setModified(true);
  Changed();
}

void TCustomMaskEdit::PasteMasked() {
  const std::string pasted = FromQString(QApplication::clipboard()->text());
  for (char c : pasted)
    if (!EditCanAcceptChar(c) || !InsertMaskedChar(c)) break;
}
