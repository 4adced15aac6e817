// notarra-table count on a table of thousands of fields: opening builds field
// definitions, fields and their bindings by name, so any lookup that scans
// shows up as time growing with the square of the field count.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/file_io.h"
#include "platform/unaligned.h"
#include "tools/notarra_table.h"

using namespace notarra;

namespace {

// A plain table of Boolean fields named "000", "001", ... (three base-36
// digits, so no two names match without regard to case) and two records.
// Entries carry no qualifier: the section of 14909 fields then stays under
// the reader's limit of 99999 bytes, as in the file the report came with.
std::string ManyFieldsFile(int fields) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string section;
  for (int i = 0; i < fields; ++i) {
    section += kDigits[i / 1296 % 36];
    section += kDigits[i / 36 % 36];
    section += kDigits[i % 36];
    section += " b\x12";
  }
  section += '\x14';
  std::string records(2 * static_cast<std::size_t>(fields), '\0');
  std::string file(17, '\0');
  file[4] = 'S';
  StoreUnaligned<uint32_t>(&file[5], 2);
  StoreUnaligned<uint32_t>(&file[9], static_cast<uint32_t>(fields));
  StoreUnaligned<uint32_t>(&file[13], static_cast<uint32_t>(section.size()));
  file += section;
  file += records;
  StoreUnaligned<uint32_t>(&file[0], static_cast<uint32_t>(file.size()));
  return file;
}

void BM_CountManyFields(benchmark::State& state) {
  const int fields = static_cast<int>(state.range(0));
  const std::string path = "/tmp/notarra-many-fields-" + std::to_string(getpid()) + ".d";
  const std::string bytes = ManyFieldsFile(fields);
  WriteFileSafely(path, bytes.data(), bytes.size());
  for (auto _ : state) {
    std::istringstream in;
    std::ostringstream out, err;
    if (RunNotarraTable({"count", path}, in, out, err) != 0 || out.str() != "2\n")
      throw std::runtime_error("count failed: " + err.str());
  }
  ::unlink(path.c_str());
  state.counters["fields"] = fields;
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

}  // namespace

BENCHMARK(BM_CountManyFields)->Arg(1000)->Arg(4000)->Arg(14909)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
