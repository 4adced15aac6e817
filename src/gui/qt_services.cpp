#include "gui/qt_services.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/qt_text.h"

namespace notarra {

namespace {

QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, MessageBoxTitle(), ToQString(text), buttons, QApplication::activeWindow());
  box.setDefaultButton(defaultButton);
  const int result = box.exec();
  return static_cast<QMessageBox::StandardButton>(result);
}

}  // namespace

QString MessageBoxTitle() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Notarra") : name;
}

void TQtMessageService::Information(const std::string& text) {
  Ask(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TQtMessageService::Warning(const std::string& text) {
  Ask(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TQtMessageService::Error(const std::string& text) {
  Ask(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TQtMessageService::ConfirmOkCancel(const std::string& text) {
  return Ask(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

bool TQtMessageService::ConfirmYesNo(const std::string& text) {
  return Ask(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void TQtBusyCursorService::BeginBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void TQtBusyCursorService::EndBusy() {
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void InstallQtServices() {
  static TQtMessageService messages;
  static TQtBusyCursorService cursor;
  SetMessageService(&messages);
  SetBusyCursorService(&cursor);
  SetPasswordPrompt([](const std::string& tableName, std::string& password) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), MessageBoxTitle(),
                              QStringLiteral("Password for %1:").arg(ToQString(tableName)), QLineEdit::Password,
                              QString(), &ok);
    if (!ok) return false;
    password = FromQString(text);
    return true;
  });
}

}  // namespace notarra
