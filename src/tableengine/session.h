// TVelaSession: the one process-wide session (VelaSession()). It remembers
// the passwords that opened protected tables, asks the user for others and
// owns the cipher instance the password check uses.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tableengine/sapphire.h"

namespace notarra {

class TVelaSession {
public:
  // Sorted, without duplicates.
  const std::vector<std::string>& KnownPasswords() const { return knownPasswords_; }
  // Ignores an empty text and one already listed.
  void AddPassword(const std::string& password);
  void RemovePassword(const std::string& password);

  // Number of prompts when no known password opens a table; below 1 counts as 3.
  int32_t RetryCount() const { return retryCount_; }
  void SetRetryCount(int32_t count) { retryCount_ = count; }

  TSapphire& Cipher() { return cipher_; }

  // Optional hooks: the prompt (text to edit; returns whether confirmed) and
  // the failure notice (password tried, whether another attempt follows).
  std::function<bool(std::string& password)> OnPromptPassword;
  std::function<void(const std::string& password, bool willRetry)> OnPasswordFailed;

  // The prompt hook when assigned, else the user interface's password prompt.
  bool PromptPassword(std::string& password);

  // Tries the table's password, then the known passwords in order, then up
  // to RetryCount prompts ("Password is invalid. Try again" between them).
  // On success block holds the deciphered key text and password the one that worked.
  bool CheckPassword(std::array<uint8_t, 40>& block, std::string& password);

private:
  std::vector<std::string> knownPasswords_;
  int32_t retryCount_ = 3;
  TSapphire cipher_;
};

TVelaSession& VelaSession();

}  // namespace notarra
