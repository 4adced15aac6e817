// Load, save and sort of the idea table at a million records.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/file_io.h"
#include "platform/file_stream.h"
#include "platform/memory_stream.h"
#include "tableengine/record_store.h"
#include "tools/idea_generator.h"

using namespace notarra;

namespace {

constexpr int32_t kIdeas = 1000000;

// The table file's bytes, made once by the generator and the writer.
const TMemoryStream& IdeaFile() {
  static TMemoryStream* file = [] {
    TVelaCursor store;
    GenerateIdeas(store, kIdeas, 1);
    auto* s = new TMemoryStream();
    s->Reserve(store.EstimateSize());
    store.WriteToStream(*s);
    return s;
  }();
  return *file;
}

std::string IdeaFilePath() {
  static std::string path = [] {
    std::string p = "/tmp/notarra-bench-" + std::to_string(getpid()) + ".d";
    const TMemoryStream& f = IdeaFile();
    WriteFileSafely(p, f.Memory(), f.Size());
    return p;
  }();
  return path;
}

std::unique_ptr<TVelaCursor> LoadIdeas() {
  TMemoryStream file;
  file.Reserve(IdeaFile().Size());
  file.Write(IdeaFile().Memory(), IdeaFile().Size());
  file.SetPosition(0);
  auto store = std::make_unique<TVelaCursor>();
  std::string error;
  if (!store->LoadFromStream(file, error)) throw std::runtime_error(error);
  return store;
}

void BM_LoadFromMemory(benchmark::State& state) {
  TMemoryStream file;
  file.Write(IdeaFile().Memory(), IdeaFile().Size());
  std::size_t heapBefore = mallinfo2().uordblks;
  std::size_t heapLoaded = 0;
  for (auto _ : state) {
    file.SetPosition(0);
    auto store = std::make_unique<TVelaCursor>();
    std::string error;
    if (!store->LoadFromStream(file, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(store->RecordCount());
    state.PauseTiming();
    heapLoaded = mallinfo2().uordblks - heapBefore;
    store.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * IdeaFile().Size());
  state.counters["file_MB"] = IdeaFile().Size() / 1e6;
  state.counters["memory_per_file_byte"] = static_cast<double>(heapLoaded) / IdeaFile().Size();
}

void BM_LoadFromFile(benchmark::State& state) {
  const std::string path = IdeaFilePath();
  for (auto _ : state) {
    auto store = std::make_unique<TVelaCursor>();
    {
      TFileStream file(path);  // read through the reader's window, as the program opens a table
      std::string error;
      if (!store->LoadFromStream(file, error)) state.SkipWithError(error.c_str());
    }
    benchmark::DoNotOptimize(store->RecordCount());
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * IdeaFile().Size());
}

void BM_WriteToStream(benchmark::State& state) {
  auto store = LoadIdeas();
  for (auto _ : state) {
    TMemoryStream out;
    out.Reserve(store->EstimateSize());
    benchmark::DoNotOptimize(store->WriteToStream(out));
  }
  state.SetBytesProcessed(state.iterations() * IdeaFile().Size());
}

void BM_SaveToFile(benchmark::State& state) {
  auto store = LoadIdeas();
  const std::string path = "/tmp/notarra-bench-save-" + std::to_string(getpid()) + ".d";
  for (auto _ : state) store->SaveToFile(path, 0, false, "");
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * IdeaFile().Size());
}

void BM_SortGroupSubject(benchmark::State& state) {
  auto store = LoadIdeas();
  TVelaFieldList fields = store->ResolveFieldList("Group;Subject");
  bool caseInsensitive = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    TVelaRecordList list(store->Records().begin(), store->Records().end());
    state.ResumeTiming();
    store->SortRecords(list, fields, caseInsensitive, false);
    benchmark::DoNotOptimize(list.data());
  }
  state.SetItemsProcessed(state.iterations() * store->RecordCount());
}

}  // namespace

BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteToStream)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortGroupSubject)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(IdeaFilePath().c_str());
  return 0;
}
