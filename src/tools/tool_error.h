// Errors of notarra-table. TToolError is bad input or a failed operation
// (exit status 1); TUsageError is a wrong command line (exit status 2).
// Message() is the whole text: a message may hold a NUL byte (read from a
// file), where what() would end.
#pragma once

#include <stdexcept>
#include <string>

namespace notarra {

class TToolError : public std::runtime_error {
public:
  explicit TToolError(const std::string& message) : std::runtime_error(message), message_(message) {}
  const std::string& Message() const { return message_; }

private:
  std::string message_;
};

class TUsageError : public TToolError {
public:
  using TToolError::TToolError;
};

}  // namespace notarra
