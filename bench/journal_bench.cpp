// The recovery journal's cost: one posted edit of an idea with and without
// the journal, at 10, 10,000 and 1,000,000 ideas (the difference is what the
// journal costs; the target is under 1 ms), and opening a table whose journal
// holds 1,000 changes, with and without restoring them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <unistd.h>

#include "tableengine/vela_table.h"
#include "tools/idea_generator.h"

using namespace notarra;

namespace {

namespace fs = std::filesystem;

// One table file of each size in a folder of the process's own, made once.
const std::string& TableFile(int ideas) {
  static std::map<int, std::string> files;
  auto& path = files[ideas];
  if (path.empty()) {
    const fs::path dir = fs::temp_directory_path() / ("notarra-journal-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    path = (dir / ("ideas-" + std::to_string(ideas) + ".d")).string();
    TVelaCursor store;
    GenerateIdeas(store, ideas, 1);
    store.SaveToFile(path, 0, false, "");
  }
  return path;
}

std::unique_ptr<TVelaTable> Open(const std::string& path, bool journaled) {
  auto table = std::make_unique<TVelaTable>();
  table->SetTableName(path);
  table->SetIndexFieldNames("Group;Subject");
  table->SetJournaled(journaled);
  table->Open();
  return table;
}

// Edits the subject of the current idea and posts it, the way the grid does.
void PostEdits(benchmark::State& state, bool journaled) {
  auto table = Open(TableFile(static_cast<int>(state.range(0))), journaled);
  table->First();
  int n = 0;
  for (auto _ : state) {
    table->Edit();
    table->FieldByName("Subject")->SetAsString("Edited subject " + std::to_string(++n));
    table->Post();
  }
  table->CancelChanges();  // removes the journal
}

void BM_PostEditWithJournal(benchmark::State& state) { PostEdits(state, true); }
void BM_PostEditWithoutJournal(benchmark::State& state) { PostEdits(state, false); }

// A journal of 1,000 edits, inserts and deletes beside the 10,000-idea table.
void LeaveJournal(const std::string& path) {
  auto table = Open(path, true);
  table->First();
  for (int i = 0; i < 1000; ++i) {
    switch (i % 10) {
      case 0:
        table->Append();
        table->FieldByName("Subject")->SetAsString("New idea " + std::to_string(i));
        table->Post();
        break;
      case 1: table->Delete(); break;
      default:
        table->Edit();
        table->FieldByName("Title")->SetAsString("Edited title " + std::to_string(i));
        table->Post();
        table->Next();
    }
  }
  table->Close();
}

void OpenWithJournal(benchmark::State& state, bool restore) {
  const std::string path = TableFile(10000);
  for (auto _ : state) {
    state.PauseTiming();
    LeaveJournal(path);
    state.ResumeTiming();
    auto table = Open(path, true);
    if (restore) table->RestoreJournal();
    benchmark::DoNotOptimize(table->ChangeCount());
    state.PauseTiming();
    table->CancelChanges();
    table->DiscardJournal();
    table.reset();
    state.ResumeTiming();
  }
}

void BM_OpenWithoutJournal(benchmark::State& state) {
  const std::string path = TableFile(10000);
  for (auto _ : state) benchmark::DoNotOptimize(Open(path, true)->RecordCount());
}
void BM_OpenFindingAJournalOf1000(benchmark::State& state) { OpenWithJournal(state, false); }
void BM_OpenAndRestoreAJournalOf1000(benchmark::State& state) { OpenWithJournal(state, true); }

}  // namespace

BENCHMARK(BM_PostEditWithJournal)->Arg(10)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostEditWithoutJournal)->Arg(10)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWithoutJournal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFindingAJournalOf1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndRestoreAJournalOf1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(fs::path(TableFile(10)).parent_path());
  return 0;
}
