#include "gui/qt_services.h"

#include <QApplication>
#include <QMessageBox>

#include "gui/application.h"
#include "gui/password_dialog.h"
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
  const TApplication* app = TApplication::Instance();
  const std::string title = app != nullptr ? app->Title() : std::string();
  return title.empty() ? QStringLiteral("Notarra") : ToQString(title);
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
  // The session's own box: it names no table, as the engine asks for the
  // password of the file it is reading.
  SetPasswordPrompt([](const std::string&, std::string& password) { return TPasswordDialog::Ask(password); });
}

}  // namespace notarra
