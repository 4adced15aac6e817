// What the table fuzz targets share: stopping with a message the fuzzer
// keeps beside the input, and a stream's bytes as a string to compare.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/memory_stream.h"

namespace fuzzsupport {

[[noreturn]] inline void Fail(const char* target, const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s: %s\n", target, what, detail.c_str());
  std::abort();
}

inline std::string Bytes(notarra::TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

}  // namespace fuzzsupport
