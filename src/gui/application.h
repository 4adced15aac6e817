// TApplication: the program's QApplication. It holds the title, the help
// file and the busy cursor's owner, and it is the default exception
// handler: an error that reaches the event loop is shown in a message box
// (through the platform's message service) and the program goes on; EAbort
// is silent. Our widgets hand their errors over through RunGuarded
// (exception_guard.h) so that they never unwind through Qt.
#pragma once

#include <QApplication>
#include <exception>
#include <string>

#include "platform/events.h"

namespace notarra {

class TApplication : public QApplication {
  Q_OBJECT

public:
  // Installs the Qt services and fills the format settings from the system locale.
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  static TApplication* Instance();

  // Windows-1252; also the message boxes' title.
  std::string Title() const;
  void SetTitle(const std::string& title);
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& file) { helpFile_ = file; }
  // Asks the help system to show a topic of HelpFile; false when no one
  // handles help (OnHelp not assigned).
  bool HelpContext(int context);
  // (file, context, var handled)
  TEvent<const std::string&, int, bool&> OnHelp;

  // The default handler: shows the message of e unless it is EAbort.
  void ShowException(const std::exception& e);
  // Called with every error that reaches the event loop; the default shows it.
  TEvent<const std::exception&> OnException;

  // OnException when assigned, else ShowException.
  void HandleException(const std::exception& e);

  // The last resort for an error that a handler did not guard (see
  // exception_guard.h): it is still shown, but Qt may have lost state.
  bool notify(QObject* receiver, QEvent* event) override;

private:
  std::string title_;
  std::string helpFile_;
};

}  // namespace notarra
