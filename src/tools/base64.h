// Base64 with the standard alphabet and "=" padding (RFC 4648), used for
// BLOB and Graphic values in JSON and CSV.
#pragma once

#include <string>
#include <string_view>

namespace notarra {

namespace base64 {

std::string Encode(std::string_view bytes);
void AppendEncoded(std::string& out, std::string_view bytes);

// Strict: the length must be a multiple of 4, only alphabet characters,
// padding only at the end. Returns false and an explanation on bad input.
bool Decode(std::string_view text, std::string& out, std::string& error);

}  // namespace base64

}  // namespace notarra
