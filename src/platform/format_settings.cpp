#include "platform/format_settings.h"

namespace notarra {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

}  // namespace notarra
