#include "idea_file.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>

#include "tableengine/record_store.h"
#include "tools/idea_generator.h"

using namespace notarra;

namespace {
bool made = false;
}

const std::string& IdeaFilePath() {
  static const std::string path = [] {
    std::string p = "/tmp/notarra-bench-ideas-" + std::to_string(getpid()) + ".d";
    TVelaCursor store;
    GenerateIdeas(store, kIdeas, 1);
    store.SaveToFile(p, 0, false, "");
    made = true;
    return p;
  }();
  return path;
}

int RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (made) std::remove(IdeaFilePath().c_str());
  return 0;
}
