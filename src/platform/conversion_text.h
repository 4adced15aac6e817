// The error helper shared by the number and the date conversions; their text
// helpers (Trim, IsAsciiDigit, ...) come from text.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/text.h"

namespace notarra {

namespace conversion_text {

// Raises EConvertError with fmt's one "%s" filled with the text.
[[noreturn]] inline void ConvertError(const char* fmt, std::string_view text) {
  throw EConvertError(Format(fmt, std::string(text).c_str()));
}

}  // namespace conversion_text

}  // namespace notarra
