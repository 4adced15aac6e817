#include "platform/exceptions.h"

#include <cstdarg>
#include <cstdio>

#include "platform/component.h"

namespace notarra {

namespace {

std::string VFormat(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[256];
  int needed = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<std::size_t>(needed) < sizeof small) return std::string(small, static_cast<std::size_t>(needed));
  std::string result(static_cast<std::size_t>(needed), '\0');
  std::vsnprintf(result.data(), result.size() + 1, fmt, args);
  return result;
}

}  // namespace

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string result = VFormat(fmt, args);
  va_end(args);
  return result;
}

void DatabaseError(const std::string& message, const TComponent* component) {
  if (component != nullptr && !component->Name().empty()) throw EDatabaseError(component->Name() + ": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const TComponent* component, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string message = VFormat(fmt, args);
  va_end(args);
  DatabaseError(message, component);
}

void Abort() { throw EAbort(); }

}  // namespace notarra
