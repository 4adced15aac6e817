// Errors are exceptions that carry a message text. The engine raises
// EDatabaseError; conversions raise EConvertError; EAbort is the silent abort
// that the application's error display ignores.
#pragma once

#include <exception>
#include <string>

namespace notarra {

class TComponent;

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

class EConvertError : public Exception {
public:
  using Exception::Exception;
};

class EDatabaseError : public Exception {
public:
  using Exception::Exception;
};

// File system failures; the message names the file.
class EInOutError : public Exception {
public:
  using Exception::Exception;
};

// printf-style formatting into a std::string ("%s", "%d" as in the engine's messages).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Raises EDatabaseError. When the component has a name, the text is "Name: message".
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const TComponent* component, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));

// Raises the silent EAbort.
[[noreturn]] void Abort();

}  // namespace notarra
