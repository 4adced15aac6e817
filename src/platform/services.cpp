#include "platform/services.h"

#include <cstdio>

namespace notarra {

namespace {

void WriteLine(const char* kind, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kind, text.c_str());
}

TConsoleMessageService& DefaultMessageService() {
  static TConsoleMessageService service;
  return service;
}

TConsoleBusyCursorService& DefaultBusyCursorService() {
  static TConsoleBusyCursorService service;
  return service;
}

TMessageService* currentMessageService = nullptr;
TBusyCursorService* currentBusyCursorService = nullptr;

TPasswordPrompt& CurrentPasswordPrompt() {
  static TPasswordPrompt prompt;
  return prompt;
}

}  // namespace

void TConsoleMessageService::Information(const std::string& text) { WriteLine("Information", text); }
void TConsoleMessageService::Warning(const std::string& text) { WriteLine("Warning", text); }
void TConsoleMessageService::Error(const std::string& text) { WriteLine("Error", text); }

bool TConsoleMessageService::ConfirmOkCancel(const std::string& text) {
  WriteLine("Confirmation", text + " [Cancel]");
  return false;
}

bool TConsoleMessageService::ConfirmYesNo(const std::string& text) {
  WriteLine("Confirmation", text + " [No]");
  return false;
}

TMessageService& MessageService() {
  return currentMessageService ? *currentMessageService : DefaultMessageService();
}

TMessageService* SetMessageService(TMessageService* service) {
  TMessageService* previous = &MessageService();
  currentMessageService = service;
  return previous;
}

void ShowMessage(const std::string& text) { MessageService().Information(text); }
void ShowError(const std::string& text) { MessageService().Error(text); }
bool ConfirmOkCancel(const std::string& text) { return MessageService().ConfirmOkCancel(text); }
bool ConfirmYesNo(const std::string& text) { return MessageService().ConfirmYesNo(text); }

TBusyCursorService& BusyCursorService() {
  return currentBusyCursorService ? *currentBusyCursorService : DefaultBusyCursorService();
}

TBusyCursorService* SetBusyCursorService(TBusyCursorService* service) {
  TBusyCursorService* previous = &BusyCursorService();
  currentBusyCursorService = service;
  return previous;
}

TPasswordPrompt SetPasswordPrompt(TPasswordPrompt prompt) {
  TPasswordPrompt previous = std::move(CurrentPasswordPrompt());
  CurrentPasswordPrompt() = std::move(prompt);
  return previous;
}

bool PromptForPassword(const std::string& tableName, std::string& password) {
  const TPasswordPrompt& prompt = CurrentPasswordPrompt();
  if (!prompt) return false;
  return prompt(tableName, password);
}

}  // namespace notarra
