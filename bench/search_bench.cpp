// Typing words into the search field at 10,000 and 1,000,000 ideas: each
// keystroke narrows the list of ideas sorted by Group and Subject, as the
// window shows it (target: under 100 ms a keystroke).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "idea_file.h"
#include "tableengine/record_store.h"
#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"

using namespace notarra;

namespace {

// One open table per size, sorted as the window sorts it; opening is timed elsewhere.
TVelaTable& Ideas(int count) {
  static std::map<int, std::unique_ptr<TVelaTable>> tables;
  auto& table = tables[count];
  if (!table) {
    std::string path = IdeaFilePath();
    if (count != kIdeas) {
      path = "/tmp/notarra-bench-search-" + std::to_string(count) + ".d";
      TVelaCursor store;
      GenerateIdeas(store, count, 1);
      store.SaveToFile(path, 0, false, "");
    }
    table = std::make_unique<TVelaTable>();
    table->SetTableName(path);
    table->SetIndexFieldNames("Group;Subject");
    table->SetSearchFields("Subject;Title;Keywords;Notes");
    table->Open();
    if (count != kIdeas) std::remove(path.c_str());
  }
  return *table;
}

// Times the keystroke that turns `before` into `after`.
void Keystroke(benchmark::State& state, const char* before, const char* after) {
  TVelaTable& table = Ideas(static_cast<int>(state.range(0)));
  int shown = 0;
  for (auto _ : state) {
    state.PauseTiming();
    table.SetSearchText(before);
    state.ResumeTiming();
    table.SetSearchText(after);
    shown = table.RecordCount();
  }
  table.SetSearchText("");
  state.counters["shown"] = shown;
}

void BM_FirstLetter(benchmark::State& state) { Keystroke(state, "", "w"); }
void BM_NextLetter(benchmark::State& state) { Keystroke(state, "wa", "way"); }
void BM_SecondWord(benchmark::State& state) { Keystroke(state, "ways t", "ways to"); }
void BM_NoMatch(benchmark::State& state) { Keystroke(state, "zqx", "zqxj"); }
void BM_ClearWords(benchmark::State& state) { Keystroke(state, "ways", ""); }

}  // namespace

BENCHMARK(BM_FirstLetter)->Arg(10000)->Arg(kIdeas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextLetter)->Arg(10000)->Arg(kIdeas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SecondWord)->Arg(10000)->Arg(kIdeas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoMatch)->Arg(10000)->Arg(kIdeas)->Unit(benchmark::kMillisecond);
// The words before are typed untimed each time: a fixed count keeps the run short.
BENCHMARK(BM_ClearWords)->Arg(10000)->Arg(kIdeas)->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
