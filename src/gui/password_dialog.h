// TPasswordDialog: the session's own password prompt, shown when a
// protected table is opened and no program hook asks instead. A small modal
// box centred on the screen: "Enter password:", an edit that shows "*" for
// each character (at most 255) holding the text to edit, all of it
// selected, and OK (Enter) and Cancel (Escape).
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace notarra {

class TPasswordDialog : public QDialog {
  Q_OBJECT

public:
  explicit TPasswordDialog(QWidget* parent = nullptr);

  QLabel* Label() const { return label_; }
  QLineEdit* Edit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // Shows the box with password as the text to edit; on OK the edited text
  // replaces it and the result is true.
  static bool Ask(std::string& password);

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLabel* label_;
  QLineEdit* edit_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace notarra
