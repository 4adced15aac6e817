// Locate and Lookup on the idea table at a million records: the binary
// search over an index prefix against the walks (over stored values when the
// list is not ordered by the key, over field values with locate options).
#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <vector>

#include "idea_file.h"
#include "tableengine/record_values.h"
#include "tableengine/vela_table.h"

using namespace notarra;

namespace {

// One open table shared by the runs, ordered as the program orders it.
TVelaTable& Ideas() {
  static TVelaTable* table = [] {
    auto* t = new TVelaTable();
    t->SetTableName(IdeaFilePath());
    t->SetIndexFieldNames("Group;Subject");
    t->Open();
    return t;
  }();
  return *table;
}

std::vector<std::string> Groups() {
  static std::vector<std::string> groups = [] {
    TVelaTable& table = Ideas();
    const TVelaField& group = *table.Store()->FindField("Group");
    std::set<std::string> seen;
    for (const TVelaRecord* r : table.Store()->Records()) seen.emplace(record_values::GetText(r->Data, group));
    return std::vector<std::string>(seen.begin(), seen.end());
  }();
  return groups;
}

// The last record in the list as it is now: the worst case of a walk that finds.
std::string LastSubject() {
  TVelaTable& table = Ideas();
  const TVelaField& subject = *table.Store()->FindField("Subject");
  return std::string(record_values::GetText(table.VisibleRecords().back()->Data, subject));
}
TVariant LastGroupAndSubject() {
  TVelaTable& table = Ideas();
  const TVelaField& group = *table.Store()->FindField("Group");
  return VarArrayOf({std::string(record_values::GetText(table.VisibleRecords().back()->Data, group)), LastSubject()});
}

void UseSort(TVelaSortOptions options) {
  if (Ideas().SortOptions() != options) Ideas().SetSortOptions(options);
}

void BM_LocateGroupBinary(benchmark::State& state) {
  UseSort({});
  TVelaTable& table = Ideas();
  const std::vector<std::string> groups = Groups();
  std::size_t i = 0, found = 0;
  for (auto _ : state) found += table.Locate("Group", groups[i++ % groups.size()], {});
  if (!table.IsIndexPrefix("Group")) state.SkipWithError("not an index prefix");
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

void BM_LocateGroupSubjectBinary(benchmark::State& state) {
  UseSort({});
  TVelaTable& table = Ideas();
  const TVariant key = LastGroupAndSubject();
  bool found = false;
  for (auto _ : state) found = table.Locate("Group;Subject", key, {});
  state.counters["found"] = found;
}

// vsoCaseInsensitive: the list is not in the order the stored values
// compare in, so the same locate walks from the first record.
void BM_LocateGroupSubjectWalk(benchmark::State& state) {
  UseSort({vsoCaseInsensitive});
  TVelaTable& table = Ideas();
  const TVariant key = LastGroupAndSubject();
  bool found = false;
  for (auto _ : state) found = table.Locate("Group;Subject", key, {});
  if (table.IsIndexPrefix("Group")) state.SkipWithError("unexpectedly ordered");
  state.counters["found"] = found;
  state.counters["at"] = found ? table.RecNo() : 0;  // how far the walk went
  state.SetItemsProcessed(state.iterations() * kIdeas);
}

void BM_LocateMissingWalk(benchmark::State& state) {
  UseSort({vsoCaseInsensitive});
  TVelaTable& table = Ideas();
  bool found = false;
  for (auto _ : state) found = table.Locate("Group", "No such group", {});
  state.counters["found"] = found;
  state.counters["at"] = found ? table.RecNo() : 0;  // how far the walk went
  state.SetItemsProcessed(state.iterations() * kIdeas);
}

// Locate options read every record's field as a value.
void BM_LocateCaseInsensitiveOptionWalk(benchmark::State& state) {
  UseSort({});
  TVelaTable& table = Ideas();
  const std::string subject = LastSubject();
  bool found = false;
  for (auto _ : state) found = table.Locate("Subject", subject, {loCaseInsensitive});
  state.counters["found"] = found;
  state.counters["at"] = found ? table.RecNo() : 0;  // how far the walk went
  state.SetItemsProcessed(state.iterations() * kIdeas);
}

void BM_LookupBinary(benchmark::State& state) {
  UseSort({});
  TVelaTable& table = Ideas();
  const std::vector<std::string> groups = Groups();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(table.Lookup("Group", groups[i++ % groups.size()], "Title"));
}

}  // namespace

BENCHMARK(BM_LocateGroupBinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateGroupSubjectBinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupBinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateGroupSubjectWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateMissingWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateCaseInsensitiveOptionWalk)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
