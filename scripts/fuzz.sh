#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them for a bounded
# time: scripts/fuzz.sh [SECONDS] [TARGET] (defaults 60 and fuzz_table_reader;
# the other targets are fuzz_round_trip, fuzz_tool_inputs, fuzz_filter_parser,
# fuzz_mask and fuzz_rtf; "filter" runs the last two one after the other, each for
# SECONDS, and "all" runs every target in turn). FUZZ_BUILD picks the build
# folder. A crash ends the script with a non-zero status.
# The run works on a copy of the target's seed corpus under build/fuzz, so
# new inputs the fuzzer keeps never touch the checked-in seeds; crashes land
# in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
target="${2:-fuzz_table_reader}"
build="${FUZZ_BUILD:-build/fuzz}"
if [ "$target" = filter ]; then
  "$0" "$seconds" fuzz_filter_parser
  "$0" "$seconds" fuzz_mask
  exit
fi
if [ "$target" = all ]; then
  # Every target for SECONDS on its kept corpus (what CI runs, briefly).
  for t in fuzz_table_reader fuzz_round_trip fuzz_tool_inputs fuzz_filter_parser fuzz_mask fuzz_rtf; do
    "$0" "$seconds" "$t"
  done
  exit
fi
jobs=$(nproc)

case "$target" in
  fuzz_table_reader)
    # A table file is at most a few kilobytes here; a 1 GB allocation can
    # only come from trusting a hostile length.
    seeds=fuzz/corpus corpus="$build/corpus" max_len=4096
    extra=(-dict=fuzz/table_reader.dict -malloc_limit_mb=512) ;;
  fuzz_filter_parser)
    seeds=fuzz/corpus_filter_parser corpus="$build/corpus_filter_parser" max_len=512
    extra=(-dict=fuzz/filter_parser.dict) ;;
  fuzz_mask)
    seeds=fuzz/corpus_mask corpus="$build/corpus_mask" max_len=512
    extra=() ;;
  fuzz_round_trip)
    seeds=fuzz/corpus corpus="$build/corpus_round_trip" max_len=4096
    extra=(-dict=fuzz/table_reader.dict -malloc_limit_mb=512) ;;
  fuzz_tool_inputs)
    seeds=fuzz/corpus_tool_inputs corpus="$build/corpus_tool_inputs" max_len=4096
    extra=(-malloc_limit_mb=512) ;;
  fuzz_rtf)
    seeds=fuzz/corpus_rtf corpus="$build/corpus_rtf" max_len=4096
    extra=(-malloc_limit_mb=512) ;;
  *)
    echo "unknown fuzz target: $target" >&2
    exit 2 ;;
esac

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNOTARRA_FUZZ=ON -DNOTARRA_TESTS=OFF -DNOTARRA_GUI=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target "$target"

mkdir -p "$corpus" "$build/artifacts"
cp -n "$seeds"/* "$corpus/" 2>/dev/null || true

UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
"$build/fuzz/$target" "$corpus" \
  "${extra[@]}" \
  -max_len="$max_len" \
  -max_total_time="$seconds" \
  -artifact_prefix="$build/artifacts/" \
  -print_final_stats=1
