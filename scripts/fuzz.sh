#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs the table-file reader's
# target for a bounded time: scripts/fuzz.sh [SECONDS] (default 60).
# The run works on a copy of fuzz/corpus in build/fuzz/corpus, so new inputs
# the fuzzer keeps never touch the checked-in seeds; crashes land in
# build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build/fuzz
jobs=$(nproc)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNOTARRA_FUZZ=ON -DNOTARRA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_table_reader

mkdir -p "$build/corpus" "$build/artifacts"
cp -n fuzz/corpus/* "$build/corpus/" 2>/dev/null || true

# A table file is at most a few kilobytes here; a 1 GB allocation can only
# come from trusting a hostile length.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
"$build/fuzz/fuzz_table_reader" "$build/corpus" \
  -dict=fuzz/table_reader.dict \
  -max_len=4096 \
  -malloc_limit_mb=512 \
  -max_total_time="$seconds" \
  -artifact_prefix="$build/artifacts/" \
  -print_final_stats=1
