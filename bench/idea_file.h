// The million-idea table file the benchmarks read: generated on first use
// (seed 1) into /tmp, once per process, and removed by RunBenchmarks when
// the runs are over.
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t kIdeas = 1000000;

const std::string& IdeaFilePath();

// Google Benchmark's main, then the idea file goes (when it was made).
int RunBenchmarks(int argc, char** argv);
