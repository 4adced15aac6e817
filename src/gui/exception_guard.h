// Errors must not unwind through Qt's event dispatch: Qt is not built to be
// unwound and would leak or lose its state. Our event handlers therefore
// run their work through RunGuarded, which hands any error to the
// application's default handler (a message box; EAbort stays silent) and
// lets the program go on.
#pragma once

#include <exception>

namespace notarra {

void HandleApplicationException(const std::exception& e);
void HandleUnknownApplicationException();

template <typename F>
void RunGuarded(F&& work) noexcept {
  try {
    work();
  } catch (const std::exception& e) {
    HandleApplicationException(e);
  } catch (...) {
    HandleUnknownApplicationException();
  }
}

}  // namespace notarra
