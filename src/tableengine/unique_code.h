// The 8-character codes that the "UNICOD" default gives new string fields:
// hours since 2000-11-01, the minute and second, and the hundredth of a
// second mixed with a process-wide counter, each in base-62 digits
// ("0"-"9", "A"-"Z", "a"-"z"). Codes made in one process differ as long as
// fewer than 3844 are made within the same hundredth of a second.
#pragma once

#include <string>

#include "platform/date_time.h"

namespace notarra {

std::string NewUniqueCode();
// The same at a given moment (for tests and for callers that already hold the time).
std::string NewUniqueCode(TDateTime now);

}  // namespace notarra
