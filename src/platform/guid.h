// Fresh GUIDs in their 38-character text form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// with upper-case hexadecimal digits (random, version 4).
#pragma once

#include <string>

namespace notarra {

std::string NewGuidText();

}  // namespace notarra
