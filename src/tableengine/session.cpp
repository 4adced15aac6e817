#include "tableengine/session.h"

#include <algorithm>

#include "platform/services.h"
#include "tableengine/password_block.h"

namespace notarra {

TVelaSession& VelaSession() {
  static TVelaSession session;
  return session;
}

void TVelaSession::AddPassword(const std::string& password) {
  if (password.empty()) return;
  auto at = std::lower_bound(knownPasswords_.begin(), knownPasswords_.end(), password);
  if (at == knownPasswords_.end() || *at != password) knownPasswords_.insert(at, password);
}

void TVelaSession::RemovePassword(const std::string& password) {
  auto at = std::lower_bound(knownPasswords_.begin(), knownPasswords_.end(), password);
  if (at != knownPasswords_.end() && *at == password) knownPasswords_.erase(at);
}

bool TVelaSession::PromptPassword(std::string& password) {
  if (OnPromptPassword) return OnPromptPassword(password);
  return PromptForPassword("", password);
}

bool TVelaSession::CheckPassword(std::array<uint8_t, 40>& block, std::string& password) {
  if (!password.empty() && TryPassword(block, password, &cipher_)) return true;
  // A copy: a prompt's success below changes the list.
  const std::vector<std::string> known = knownPasswords_;
  for (const std::string& candidate : known) {
    if (TryPassword(block, candidate, &cipher_)) {
      password = candidate;
      return true;
    }
  }
  const int32_t attempts = retryCount_ < 1 ? 3 : retryCount_;
  std::string text;
  for (int32_t i = 1; i <= attempts; ++i) {
    if (!PromptPassword(text)) break;
    if (TryPassword(block, text, &cipher_)) {
      AddPassword(text);
      password = text;
      return true;
    }
    if (OnPasswordFailed)
      OnPasswordFailed(text, i < attempts);
    else if (i < attempts)
      ShowMessage("Password is invalid. Try again");
  }
  return false;
}

}  // namespace notarra
