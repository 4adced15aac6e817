#include "gui/key_input.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <string>

#include "gui/qt_text.h"

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
  const QString text = event->text();
  return !text.isEmpty() && text[0].unicode() >= 32 && text[0].unicode() != 127 &&
         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

bool TypedChar(QKeyEvent* event, char& c) {
  const QString text = event->text();
  if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127) return false;
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  bool lossy = false;
  const std::string ansi = FromQString(text.left(1), &lossy);
  if (lossy || ansi.empty()) return false;
  c = ansi[0];
  return true;
}

bool TypesForeignChar(QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty() || text[0].unicode() < 32 || text[0].unicode() == 127) return false;
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  bool lossy = false;
  FromQString(text.left(1), &lossy);
  return lossy;
}
