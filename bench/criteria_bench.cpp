// The filter dialog's criteria on the idea table at a million records: one
// filtering pass with a start match with an or-word on Subject, a date range
// on PubDate and an exact match on Flag, and how many allocations a warmed-up
// pass makes per record.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "idea_file.h"
#include "dataset/data_source.h"
#include "filterdialog/filter_dialog.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {
std::atomic<uint64_t> gAllocations{0};
}

// Counting replacements of the global allocator; GCC mistakes the malloc/free
// pair inside them for a mismatched new/delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

struct Setup {
  TVelaTable table;
  TDataSource source;
  TsfFilterDialog dialog;
  Setup() {
    table.SetTableName(IdeaFilePath());
    table.Open();
    source.SetDataSet(&table);
    dialog.SetDataSource(&source);
    auto add = [&](const char* field, TsfFilterMatchType match, const char* value, const char* min = "",
                   const char* max = "") {
      auto info = std::make_unique<TsfFieldInfo>();
      info->FieldName = info->DisplayName = field;
      info->MatchType = match;
      info->FilterValue = value;
      info->MinValue = min;
      info->MaxValue = max;
      dialog.FieldInfo().push_back(std::move(info));
    };
    add("Subject", fdMatchStart, "why or what");
    add("PubDate", fdMatchRange, "", "1/1/2005", "12/31/2015");
    add("Flag", fdMatchExact, "False");
  }
};

Setup& Ideas() {
  static Setup* s = new Setup();
  return *s;
}

void BM_ThreeCriteria(benchmark::State& state) {
  Setup& s = Ideas();
  s.dialog.ApplyFilter();  // warm-up
  uint64_t allocations = 0;
  for (auto _ : state) {
    const uint64_t before = gAllocations.load();
    s.dialog.ApplyFilter();
    allocations = gAllocations.load() - before;
  }
  state.counters["kept"] = s.table.RecordCount();
  state.counters["allocs_per_pass"] = static_cast<double>(allocations);
  state.counters["allocs_per_record"] = static_cast<double>(allocations) / kIdeas;
  state.SetItemsProcessed(state.iterations() * kIdeas);
}
BENCHMARK(BM_ThreeCriteria)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
