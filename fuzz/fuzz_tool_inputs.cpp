// libFuzzer target for what notarra-table turns into tables: a JSON document
// (write --from) or CSV rows imported into an idea table (import --csv).
// Either is refused with the tool's error, or becomes a table that the
// writer writes and the reader reads back with as many records. The first
// byte chooses: even for JSON, odd for CSV.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/memory_stream.h"
#include "tableengine/record_store.h"
#include "tools/csv.h"
#include "tools/idea_schema.h"
#include "tools/table_csv.h"
#include "tools/table_json.h"
#include "tools/tool_error.h"

using namespace notarra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TVelaCursor store;
  TMemoryStream out;
  try {
    if (data[0] % 2 == 0) {
      ReadTableJson(text, store);
    } else {
      AddIdeaFields(store);
      ImportTableCsv(text, store);
    }
    store.WriteToStream(out);
  } catch (const TToolError&) {
    return 0;
  } catch (const csv::Error&) {
    return 0;
  } catch (const Exception&) {  // the engine's refusals (EDatabaseError, conversions)
    return 0;
  }
  out.SetPosition(0);
  TVelaCursor again;
  std::string error;
  if (!again.LoadFromStream(out, error, true)) {
    std::fprintf(stderr, "fuzz_tool_inputs: written table does not load: %s\n", error.c_str());
    std::abort();
  }
  int live = 0;
  for (const TVelaRecord* r : store.Records()) live += r->Live() ? 1 : 0;
  if (again.RecordCount() != live) {
    std::fprintf(stderr, "fuzz_tool_inputs: %d records read back of %d\n", again.RecordCount(), live);
    std::abort();
  }
  return 0;
}
