// libFuzzer target for the writer: every table the reader accepts is
// written, read again, and must hold the same fields and the same values,
// record by record; writing it once more gives the very same bytes. A
// store the writer refuses (what the reader could not give back) is a
// clean refusal, never a crash.
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

[[noreturn]] void Fail(const char* what, const std::string& detail) { fuzzsupport::Fail("fuzz_round_trip", what, detail); }

using fuzzsupport::Bytes;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TMemoryStream in;
  if (size) in.Write(data, size);
  in.SetPosition(0);
  TVelaCursor store;
  std::string error;
  // File order, so that what is written is what was read, record by record.
  if (!store.LoadFromStream(in, error, /*keepFileOrder=*/true) || store.IsProtected()) return 0;
  TMemoryStream out;
  try {
    store.WriteToStream(out);
  } catch (const EDatabaseError&) {
    return 0;  // refused before anything was written
  }
  out.SetPosition(0);
  TVelaCursor again;
  if (!again.LoadFromStream(out, error, true)) Fail("written table does not load", error);
  if (again.FieldCount() != store.FieldCount()) Fail("field count", std::to_string(again.FieldCount()));
  if (again.Notes() != store.Notes()) Fail("notes", again.Notes());
  if (again.RecordCount() != store.RecordCount()) Fail("record count", std::to_string(again.RecordCount()));
  for (int f = 0; f < store.FieldCount(); ++f) {
    const TVelaField& a = *store.FieldByIndex(f);
    const TVelaField& b = *again.FieldByIndex(f);
    if (a.Kind != b.Kind || a.Size != b.Size || a.Name != b.Name) Fail("field", a.Name + " / " + b.Name);
    for (int r = 0; r < store.RecordCount(); ++r) {
      const uint8_t* x = store.Records()[static_cast<std::size_t>(r)]->Data;
      const uint8_t* y = again.Records()[static_cast<std::size_t>(r)]->Data;
      if (store.ValueToText(x, a) != again.ValueToText(y, b) || store.CompareValues(x, y, a, false) != 0)
        Fail("value", a.Name + " in record " + std::to_string(r + 1));
    }
  }
  TMemoryStream out2;
  again.WriteToStream(out2);
  if (Bytes(out) != Bytes(out2)) Fail("second write differs", "");
  return 0;
}
