// libFuzzer target for the RTF reader and writer: any bytes read without a
// crash, and what is read, written and read again is the same document.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "rtf/rtf_document.h"

using namespace notarra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const TRtfDocument doc = ReadRtf(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string written = WriteRtf(doc);
  if (ReadRtf(written) != doc) {
    std::fprintf(stderr, "fuzz_rtf: written RTF reads back differently:\n%s\n", written.c_str());
    std::abort();
  }
  return 0;
}
