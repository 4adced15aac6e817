// TCustomMaskEdit: a single-line edit that can follow an edit mask (see
// edit_mask.h). With a mask, typing overwrites the input positions one by
// one, skips literals, refuses characters the position does not take, and
// Escape puts back the text as it was last set. EditText is what shows
// (literals and blanks); Text is the value (literals only when the mask
// saves them, blanks as spaces). Pasting (keys or context menu), dropping
// and input-method text go into the positions the same way as typed keys,
// and deleting keys and menu commands blank positions instead of removing
// them. Without a mask it is a plain edit.
#pragma once

#include <QLineEdit>
#include <string>

#include "gui/edit_mask.h"
#include "platform/exceptions.h"

namespace notarra {

// A masked text that does not fill its required positions.
class EDBEditError : public Exception {
public:
  using Exception::Exception;
};

class TCustomMaskEdit : public QLineEdit {
  Q_OBJECT

public:
  explicit TCustomMaskEdit(QWidget* parent = nullptr);

  const std::string& EditMask() const { return maskText_; }
  void SetEditMask(const std::string& mask);
  bool IsMasked() const { return !mask_.Empty(); }

  // Windows-1252 texts.
  std::string Text() const;
  void SetText(const std::string& value);
  std::string EditText() const;
  void SetEditText(const std::string& value);

  // 0 = no limit. Ignored while masked (the mask sets the length).
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);

  bool Modified() const { return isModified(); }
  void SetModified(bool value) { setModified(value); }
  // Back to the text of the last SetText / SetEditText.
  void Reset();
  // Raises EDBEditError "Invalid input value. Use escape key to abandon
  // changes" when a required position is empty, with the cursor put there.
  void ValidateEdit();
  // When on (the default), leaving a modified masked edit validates it; a
  // failure is shown through the message service and the focus comes back
  // when the edit is still visible and enabled.
  bool ValidateOnExit() const { return validateOnExit_; }
  void SetValidateOnExit(bool value) { validateOnExit_ = value; }

signals:
  // After every change the user makes (typing, deleting, pasting, Reset).
  void EditChanged();

protected:
  // Asked before a key changes the text; false refuses the key.
  virtual bool EditCanModify() { return true; }
  // Asked for each character typed or pasted.
  virtual bool EditCanAcceptChar(char) { return true; }
  // Called after each user change; emits EditChanged.
  virtual void Changed();

  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

private:
  bool MaskedKey(QKeyEvent* event);
  bool InsertMaskedText(const QString& text);
  void ClearMaskedRange(int from, int to);
  void CutMaskedRange(int from, int to);
  void SetMaskedTextKeepingCursor(const QString& text, int cursor);
  void PasteMasked();

  std::string maskText_;
  TEditMask mask_;
  int maxLength_ = 0;
  QString original_;
  bool validateOnExit_ = true;
  bool refocusing_ = false;
};

}  // namespace notarra
