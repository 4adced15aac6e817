#include "gui/key_input.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <string>

#include "gui/qt_text.h"

namespace notarra {

// Qt's editors insert every printable text but that of plain Ctrl and
// Ctrl+Shift combinations (formatting characters even then). AltGr arrives
// as Ctrl+Alt on Windows and types characters, which must be checked as well.
bool TypesText(QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127) return false;
  if (text[0].category() == QChar::Other_Format) return true;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  return modifiers != Qt::ControlModifier && modifiers != (Qt::ControlModifier | Qt::ShiftModifier);
}

bool IsModifyingKey(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
      event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
    return true;
  switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      return true;
    default:
      break;
  }
  return TypesText(event);
}

bool TypedChar(QKeyEvent* event, char& c) {
  if (!TypesText(event)) return false;
  bool lossy = false;
  const std::string ansi = FromQString(event->text().left(1), &lossy);
  if (lossy || ansi.empty()) return false;
  c = ansi[0];
  return true;
}

bool TypesForeignChar(QKeyEvent* event) {
  if (!TypesText(event)) return false;
  bool lossy = false;
  FromQString(event->text().left(1), &lossy);
  return lossy;
}

}  // namespace notarra
