// libFuzzer target for the table-file reader. Any bytes must load or fail
// cleanly, with and without PartialOpen, and the same through any read
// window and when read in place from a mapped file; whatever loads must write back into a file that loads again and
// writes back to the very same bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "platform/exceptions.h"
#include "platform/memory_stream.h"
#include "tableengine/record_store.h"

using namespace notarra;

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) { fuzzsupport::Fail("fuzz_table_reader", what, detail); }

using fuzzsupport::Bytes;

// The bytes loaded as the program opens a table: from a file, read in place.
bool LoadInPlace(const uint8_t* data, std::size_t size, bool partialOpen, TVelaCursor& store, std::string& error) {
  const int fd = memfd_create("table", MFD_CLOEXEC);
  if (fd < 0 || (size && write(fd, data, size) != static_cast<ssize_t>(size))) Fail("memory file", "");
  store.SetPartialOpen(partialOpen);
  const bool ok = store.LoadFromFile("/proc/self/fd/" + std::to_string(fd), error);
  close(fd);
  return ok;
}

std::string Written(TVelaCursor& store) {
  TMemoryStream out;
  try {
    store.WriteToStream(out);
  } catch (const EDatabaseError&) {
    return "refused";
  }
  return Bytes(out);
}

void Check(const uint8_t* data, std::size_t size, bool partialOpen) {
  TMemoryStream in;
  if (size) in.Write(data, size);
  in.SetPosition(0);
  TVelaCursor store;
  store.SetPartialOpen(partialOpen);
  std::string error;
  bool ok = store.LoadFromStream(in, error);

  // Through a window of a few bytes (the size taken from the input) the
  // reader must come to the very same result.
  std::size_t window = size ? 1 + data[size - 1] % 13 : 1;
  in.SetPosition(0);
  TVelaCursor narrow;
  narrow.SetPartialOpen(partialOpen);
  std::string narrowError;
  bool narrowOk = narrow.LoadFromStream(in, narrowError, false, window);
  if (narrowOk != ok || narrowError != error) Fail("narrow window differs", narrowError + " / " + error);
  if (ok && !store.IsProtected()) {  // a protected table is written with a fresh key text
    TMemoryStream a, b;
    bool refusedA = false, refusedB = false;
    try {
      store.WriteToStream(a);
    } catch (const EDatabaseError&) {
      refusedA = true;
    }
    try {
      narrow.WriteToStream(b);
    } catch (const EDatabaseError&) {
      refusedB = true;
    }
    if (refusedA != refusedB || Bytes(a) != Bytes(b)) Fail("narrow window loads other records", error);
  }
  TVelaCursor inPlace;
  std::string inPlaceError;
  const bool inPlaceOk = LoadInPlace(data, size, partialOpen, inPlace, inPlaceError);
  if (inPlaceOk != ok || inPlaceError != error) Fail("read in place differs", inPlaceError + " / " + error);
  if (ok && !store.IsProtected() && Written(inPlace) != Written(store)) Fail("read in place loads other records", error);
  if (!ok) {
    if (store.RecordCount() != 0 || store.FieldCount() != 0) Fail("failed load left data", error);
    return;
  }
  if (!partialOpen && !error.empty()) Fail("success with an error text", error);

  TMemoryStream out;
  int64_t written = 0;
  try {
    written = store.WriteToStream(out);
  } catch (const EDatabaseError&) {
    return;  // the writer refuses what the reader would not give back
  }
  if (written != out.Size()) Fail("written length", std::to_string(written));
  if (store.EstimateSize() < written) Fail("estimate below written size", std::to_string(written));

  // What was written must load without help, in file order, and write back identically.
  out.SetPosition(0);
  TVelaCursor again;
  std::string error2;
  if (!again.LoadFromStream(out, error2, /*keepFileOrder=*/true)) Fail("written table does not load", error2);
  TMemoryStream out2;
  again.WriteToStream(out2);
  if (Bytes(out) != Bytes(out2)) Fail("second write differs", "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Check(data, size, false);
  Check(data, size, true);
  return 0;
}
