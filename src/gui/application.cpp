#include "gui/application.h"

#include "gui/exception_guard.h"
#include "gui/qt_services.h"
#include "gui/qt_text.h"
#include "platform/exceptions.h"
#include "platform/services.h"

namespace notarra {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallQtServices();
  InitFormatSettingsFromSystem();
}

TApplication::~TApplication() {
  // The Qt services must not outlive the application they show boxes on.
  SetMessageService(nullptr);
  SetBusyCursorService(nullptr);
  SetPasswordPrompt(nullptr);
}

TApplication* TApplication::Instance() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

std::string TApplication::Title() const { return title_; }

// Kept apart from the toolkit's display name: a display name would be
// appended to every window's title bar ("Notarra- — Notarra").
void TApplication::SetTitle(const std::string& title) { title_ = title; }

bool TApplication::HelpContext(int context) {
  bool handled = false;
  OnHelp(helpFile_, context, handled);
  return handled;
}

void TApplication::ShowException(const std::exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  const auto* ours = dynamic_cast<const Exception*>(&e);
  MessageService().Error(ours ? ours->Message() : std::string(e.what()));
}

void TApplication::HandleException(const std::exception& e) {
  if (OnException)
    OnException(e);
  else
    ShowException(e);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleUnknownApplicationException();
  }
  return false;
}

void HandleApplicationException(const std::exception& e) {
  if (TApplication* app = TApplication::Instance()) {
    app->HandleException(e);
    return;
  }
  if (dynamic_cast<const EAbort*>(&e)) return;
  const auto* ours = dynamic_cast<const Exception*>(&e);
  MessageService().Error(ours ? ours->Message() : std::string(e.what()));
}

void HandleUnknownApplicationException() {
  MessageService().Error(FromQString(QCoreApplication::translate("TApplication", "Unknown error")));
}

}  // namespace notarra
