// How a key press bears on an editor's text, shared by the editors so that
// they agree on which keys change the content.
#pragma once

class QKeyEvent;

namespace notarra {

// Whether the key types text, by the editors' own rule: a printable
// character not held with Ctrl alone or Ctrl+Shift (AltGr, which arrives as
// Ctrl+Alt, types characters).
bool TypesText(QKeyEvent* event);
// Whether the key would change a single-line editor's text: a printable
// character, Backspace, Delete, or the paste, cut, undo and redo shortcuts.
bool IsModifyingKey(QKeyEvent* event);
// The typed character in Windows-1252; false when the key types none or a
// character that code page cannot hold.
bool TypedChar(QKeyEvent* event, char& c);
// Whether the key types a character that Windows-1252 cannot hold (such a
// key is refused rather than stored as a substitute).
bool TypesForeignChar(QKeyEvent* event);

}  // namespace notarra
