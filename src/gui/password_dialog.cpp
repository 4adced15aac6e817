#include "gui/password_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "gui/dpi_scale.h"
#include "gui/qt_text.h"

namespace notarra {

TPasswordDialog::TPasswordDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("PasswordDialog");
  setWindowTitle(tr("Login password"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setModal(true);
  setFixedSize(ScaledSize(this, 205, 116));
  label_ = new QLabel("Enter password:", this);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setGeometry(ScaledRect(this, 18, 7, 170, 28));
  edit_ = new QLineEdit(this);
  edit_->setObjectName("Edit");
  edit_->setGeometry(ScaledRect(this, 18, 45, 170, 21));
  edit_->setMaxLength(255);
  edit_->setEchoMode(QLineEdit::Password);
  // Every character shows as "*", whatever the style's own mark.
  edit_->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
  label_->setBuddy(edit_);
  ok_ = new QPushButton(tr("OK"), this);
  ok_->setObjectName("OkButton");
  ok_->setGeometry(ScaledRect(this, 18, 77, 75, 25));
  ok_->setDefault(true);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("CancelButton");
  cancel_->setGeometry(ScaledRect(this, 113, 77, 75, 25));
  cancel_->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
  edit_->setFocus();
  edit_->selectAll();
}

bool TPasswordDialog::Ask(std::string& password) {
  TPasswordDialog dialog(QApplication::activeWindow());
  dialog.edit_->setText(ToQString(password));
  dialog.edit_->selectAll();
  if (dialog.exec() != QDialog::Accepted) return false;
  password = FromQString(dialog.edit_->text());
  return true;
}

}  // namespace notarra
