#include "gui/mask_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyleHints>
#include <QTimer>
#include <algorithm>

#include "gui/key_input.h"
#include "gui/qt_text.h"
#include "platform/services.h"

namespace notarra {

namespace {

// Keys Qt's line edit deletes with besides Backspace and Delete, under some
// platforms' key bindings only: to the end (Ctrl+K), the whole line
// (Ctrl+U), a character (Ctrl+D on macOS).
bool DeletesText(QKeyEvent* event) {
  return event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine) ||
         event->matches(QKeySequence::Delete);
}

}  // namespace

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
  throw EDBEditError(FromQString(tr("Invalid input value. Use escape key to abandon changes")));
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
      // An edit whose page was switched away would take the keyboard while
      // nobody sees it: its text waits there for the user's return.
      if (isVisible() && isEnabled()) setFocus();
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
  if (!isReadOnly() && (IsModifyingKey(event) || (IsMasked() && DeletesText(event)))) {
    char c = 0;
    const bool typed = TypedChar(event, c);
    if (TypesForeignChar(event)) {
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
    if (hasSelectedText()) CutMaskedRange(selectionStart(), selectionEnd());
    event->accept();
    return true;
  }
  // Qt copies what these delete as well.
  if (event->matches(QKeySequence::DeleteEndOfLine)) {
    CutMaskedRange(cursorPosition(), mask_.Length());
    event->accept();
    return true;
  }
  if (event->matches(QKeySequence::DeleteCompleteLine)) {
    CutMaskedRange(0, mask_.Length());
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
  if (event->key() == Qt::Key_Delete || event->matches(QKeySequence::Delete)) {
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
    if (!InsertMaskedText(event->text().left(1))) QApplication::beep();
    event->accept();
    return true;
  }
  return false;
}

// Typed keys, pastes, drops and input methods all come here. A selection is
// blanked first; then each character goes into the next input position
// (typing the literal that comes next steps over it). A character the
// position or the control refuses is dropped; once no input position is
// left the rest is cut. The whole text is one change. False when no
// character was taken.
bool TCustomMaskEdit::InsertMaskedText(const QString& text) {
  std::string shown = EditText();
  shown.resize(static_cast<size_t>(mask_.Length()), mask_.Blank());  // a text set past the mask
  int cursor = cursorPosition();
  if (hasSelectedText()) {
    cursor = selectionStart();
    for (int i = cursor; i < selectionEnd() && i < mask_.Length(); ++i)
      if (!mask_.At(i).literal) shown[static_cast<size_t>(i)] = mask_.Blank();
  }
  bool taken = false;
  for (const QChar ch : text) {
    bool lossy = false;
    const std::string ansi = FromQString(QString(ch), &lossy);
    if (lossy || ansi.empty()) continue;
    const char c = ansi[0];
    if (static_cast<unsigned char>(c) < 32 || c == 127 || !EditCanAcceptChar(c)) continue;
    if (cursor < mask_.Length() && mask_.At(cursor).literal && mask_.At(cursor).ch == c) {
      const int next = mask_.NextInput(cursor);
      cursor = next >= 0 ? next : mask_.Length();
      taken = true;
      continue;
    }
    const int pos = mask_.NextInput(cursor);
    if (pos < 0) break;
    char converted = c;
    if (!mask_.Accepts(pos, c, converted)) continue;
    shown[static_cast<size_t>(pos)] = converted;
    const int next = mask_.NextInput(pos + 1);
    cursor = next >= 0 ? next : mask_.Length();
    taken = true;
  }
  SetMaskedTextKeepingCursor(ToQString(shown), cursor);
  return taken;
}

void TCustomMaskEdit::ClearMaskedRange(int from, int to) {
  std::string shown = EditText();
  shown.resize(static_cast<size_t>(mask_.Length()), mask_.Blank());
  for (int i = std::max(from, 0); i < to && i < mask_.Length(); ++i)
    if (!mask_.At(i).literal) shown[static_cast<size_t>(i)] = mask_.Blank();
  SetMaskedTextKeepingCursor(ToQString(shown), from);
}

void TCustomMaskEdit::CutMaskedRange(int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, mask_.Length());
  if (from >= to) return;
  QApplication::clipboard()->setText(text().mid(from, to - from));
  ClearMaskedRange(from, to);
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

void TCustomMaskEdit::PasteMasked() { InsertMaskedText(QApplication::clipboard()->text()); }

void TCustomMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
  if (!IsMasked()) {
    QLineEdit::contextMenuEvent(event);
    return;
  }
  // Qt's own menu would change the raw text. This one offers its commands
  // (undo is Escape here); the changing ones go through the mask and ask
  // first, as keys do.
  auto* menu = new QMenu(this);
  const auto add = [&](const char* caption, QKeySequence::StandardKey key, bool enabled, auto command) {
    QString text = QLineEdit::tr(caption);
    if (QGuiApplication::styleHints()->showShortcutsInContextMenus())
      text += QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
    QAction* action = menu->addAction(text);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, command);
  };
  const auto change = [this](auto command) {
    return [this, command] {
      if (!isReadOnly() && EditCanModify()) command();
    };
  };
  const bool editable = !isReadOnly();
  const bool selected = hasSelectedText();
  if (editable) {
    add("Cu&t", QKeySequence::Cut, selected, change([this] {
          if (hasSelectedText()) CutMaskedRange(selectionStart(), selectionEnd());
        }));
  }
  add("&Copy", QKeySequence::Copy, selected, [this] { copy(); });
  if (editable) {
    add("&Paste", QKeySequence::Paste, !QGuiApplication::clipboard()->text().isEmpty(),
        change([this] { PasteMasked(); }));
    add("Delete", QKeySequence::UnknownKey, selected, change([this] {
          if (hasSelectedText()) ClearMaskedRange(selectionStart(), selectionEnd());
        }));
  }
  menu->addSeparator();
  add("Select All", QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); });
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void TCustomMaskEdit::dropEvent(QDropEvent* event) {
  if (!IsMasked() || isReadOnly() || !event->mimeData()->hasText()) {
    QLineEdit::dropEvent(event);
    return;
  }
  // Takes the drop caret away; the base class would insert the raw text.
  QDragLeaveEvent leave;
  QLineEdit::dragLeaveEvent(&leave);
  if (!EditCanModify()) {
    event->ignore();
    return;
  }
  deselect();
  setCursorPosition(cursorPositionAt(event->position().toPoint()));
  InsertMaskedText(event->mimeData()->text());
  // Copied, never moved: the source keeps its text.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TCustomMaskEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (!IsMasked() || isReadOnly() || (event->commitString().isEmpty() && event->replacementLength() == 0)) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  if (EditCanModify()) {
    // The text the input method replaces is blanked, then its text typed.
    if (event->replacementLength() > 0) {
      const int from = std::clamp(cursorPosition() + event->replacementStart(), 0, mask_.Length());
      setSelection(from, std::min(event->replacementLength(), mask_.Length() - from));
    }
    if (!event->commitString().isEmpty())
      InsertMaskedText(event->commitString());
    else if (hasSelectedText())
      ClearMaskedRange(selectionStart(), selectionEnd());
  }
  // The composition still shows; only committed text reaches the mask.
  QInputMethodEvent composing(event->preeditString(), event->attributes());
  QLineEdit::inputMethodEvent(&composing);
  event->accept();
}

}  // namespace notarra
