// Services the user interface provides to the layers below it: message
// boxes and confirmations, the busy (hourglass) cursor and the password
// prompt. The layers below call them without knowing whether a window
// system is there. The defaults write to standard error and answer "no" or
// "cancel"; the GUI installs its own at start, tests install theirs. Every
// setter returns the service it replaces, so a caller can put it back;
// passing nullptr reinstalls the default.
#pragma once

#include <functional>
#include <string>

namespace notarra {

class TMessageService {
public:
  virtual ~TMessageService() = default;
  virtual void Information(const std::string& text) = 0;
  virtual void Warning(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
  // True for OK, false for Cancel (closing the box counts as Cancel).
  virtual bool ConfirmOkCancel(const std::string& text) = 0;
  // True for Yes, false for No (closing the box counts as No).
  virtual bool ConfirmYesNo(const std::string& text) = 0;
};

// Writes "Information: text" etc. to standard error; confirmations answer false.
class TConsoleMessageService : public TMessageService {
public:
  void Information(const std::string& text) override;
  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  bool ConfirmOkCancel(const std::string& text) override;
  bool ConfirmYesNo(const std::string& text) override;
};

TMessageService& MessageService();
// The service is not owned; it must outlive its installation.
TMessageService* SetMessageService(TMessageService* service);

// Shortcuts through the current message service.
void ShowMessage(const std::string& text);
void ShowError(const std::string& text);
bool ConfirmOkCancel(const std::string& text);
bool ConfirmYesNo(const std::string& text);

// The screen cursor while a long operation runs. Begin/End nest.
class TBusyCursorService {
public:
  virtual ~TBusyCursorService() = default;
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
};

// Counts nesting only; there is no cursor to change without a GUI.
class TConsoleBusyCursorService : public TBusyCursorService {
public:
  void BeginBusy() override { ++depth_; }
  void EndBusy() override {
    if (depth_ > 0) --depth_;
  }
  int Depth() const { return depth_; }

private:
  int depth_ = 0;
};

TBusyCursorService& BusyCursorService();
TBusyCursorService* SetBusyCursorService(TBusyCursorService* service);

// Shows the hourglass for the lifetime of the object, also when an error
// leaves the scope.
class TBusyCursor {
public:
  TBusyCursor() { BusyCursorService().BeginBusy(); }
  ~TBusyCursor() { BusyCursorService().EndBusy(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Asks for the password of a protected table. Returns true with the
// password filled in, false when the user cancelled. The default has no one
// to ask and returns false.
using TPasswordPrompt = std::function<bool(const std::string& tableName, std::string& password)>;

TPasswordPrompt SetPasswordPrompt(TPasswordPrompt prompt);
bool PromptForPassword(const std::string& tableName, std::string& password);

}  // namespace notarra
