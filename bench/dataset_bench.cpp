// Opening the idea table through TVelaTable, re-sorting it, and moving the
// cursor through it with a grid-sized link window.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "idea_file.h"
#include "dataset/data_link.h"
#include "dataset/data_source.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

std::unique_ptr<TVelaTable> OpenIdeas(const char* index) {
  auto table = std::make_unique<TVelaTable>();
  table->SetTableName(IdeaFilePath());
  table->SetIndexFieldNames(index);
  table->Open();
  return table;
}

void BM_OpenSortedByGroupSubject(benchmark::State& state) {
  IdeaFilePath();  // made once, outside the timing
  for (auto _ : state) {
    auto table = OpenIdeas("Group;Subject");
    benchmark::DoNotOptimize(table->RecordCount());
    state.PauseTiming();
    table.reset();
    state.ResumeTiming();
  }
}

void BM_ResortBySubject(benchmark::State& state) {
  auto table = OpenIdeas("Group;Subject");
  bool bySubject = false;
  for (auto _ : state) {
    bySubject = !bySubject;
    table->SetIndexFieldNames(bySubject ? "Subject" : "Group;Subject");
  }
}

// A link with a grid's window of 40 rows.
class WindowLink : public TDataLink {};

void BM_MoveByWithFortyRowWindow(benchmark::State& state) {
  auto table = OpenIdeas("Group;Subject");
  TDataSource source;
  source.SetDataSet(table.get());
  WindowLink link;
  link.SetBufferCount(40);
  link.SetDataSource(&source);
  int64_t steps = 0;
  for (auto _ : state) {
    table->First();
    while (!table->Eof()) {
      table->MoveBy(1);
      ++steps;
    }
  }
  state.SetItemsProcessed(steps);
  link.SetDataSource(nullptr);
}

}  // namespace

BENCHMARK(BM_OpenSortedByGroupSubject)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ResortBySubject)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_MoveByWithFortyRowWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
