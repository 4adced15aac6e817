#!/usr/bin/env bash
# The main window at 10,000, 1,000,000 and 10,000,000 ideas (the largest only
# when this machine has the memory for it): start to the sorted List painted,
# a title-click sort, Save after one edit and closing, each the median of
# three fresh processes; beside it the time cp takes to copy the idea table,
# alone and with the copy flushed to disk (Save flushes what it writes, so
# that a crash never leaves a half-written table), which Save is measured
# against.
#   bench/window_bench.sh [SIZES...]      (BUILD=dir picks the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 1000000 10000000)
build=${BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOTARRA_BENCH=ON >/dev/null
cmake --build "$build" --target notarra-table window_bench >/dev/null
tool=$build/src/tools/notarra-table
data=build/bench-data

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for n in "${sizes[@]}"; do
  # About 400 bytes of file and 600 of memory per idea, twice over while saving.
  need_kb=$((n * 2))
  avail_kb=$(awk '/MemAvailable/ { print $2 }' /proc/meminfo)
  if [ "$need_kb" -gt "$avail_kb" ]; then
    echo "$n ideas: skipped, $((avail_kb / 1024)) MB available and about $((need_kb / 1024)) MB needed"
    continue
  fi
  dir=$data/window-$n
  if [ ! -f "$dir/Blog_Ideas.d" ]; then
    rm -rf "$dir"
    "$tool" init "$dir" --sample >/dev/null
    "$tool" generate "$dir/Blog_Ideas.d" --records "$n" --seed 1 --force >/dev/null
  fi
  cp "$dir/Blog_Ideas.d" "$dir/pristine.d"
  runs=()
  for i in 1 2 3; do
    cp "$dir/pristine.d" "$dir/Blog_Ideas.d"
    rm -f "$dir"/*.journal "$dir"/*.~d
    cat "$dir"/*.d >/dev/null
    runs+=("$("$build"/bench/window_bench "$dir")")
  done
  # cp of the same file, page cache warm, to a new file beside: alone, and
  # with the file flushed to disk as Save flushes what it writes.
  cps=() cpsyncs=()
  for i in 1 2 3; do
    t0=$(date +%s%N)
    cp "$dir/pristine.d" "$dir/copy.d"
    t1=$(date +%s%N)
    sync "$dir/copy.d"
    t2=$(date +%s%N)
    cps+=($(((t1 - t0) / 1000000)))
    cpsyncs+=($(((t2 - t0) / 1000000)))
    rm -f "$dir/copy.d"
  done
  mv "$dir/pristine.d" "$dir/Blog_Ideas.d"
  rm -f "$dir"/*.journal "$dir"/*.~d
  field() { printf '%s\n' "${runs[@]}" | awk -v k="$1" '{ for (i = 1; i < NF; i++) if ($i == k) print $(i + 1) }' | median; }
  cp_ms=$(printf '%s\n' "${cps[@]}" | median)
  cps_ms=$(printf '%s\n' "${cpsyncs[@]}" | median)
  save_ms=$(field save_ms)
  printf '%s ideas: start %s ms, title click %s ms, save %s ms (progress painted %s times; cp %s ms, ratio %s;' \
    "$n" "$(field start_ms)" "$(field click_ms)" "$save_ms" "$(field progress_paints)" "$cp_ms" \
    "$(awk -v s="$save_ms" -v c="$cp_ms" 'BEGIN { printf "%.2f", s / (c > 0 ? c : 1) }')"
  printf ' cp and sync %s ms, ratio %s), close %s ms, private %s MB\n' "$cps_ms" \
    "$(awk -v s="$save_ms" -v c="$cps_ms" 'BEGIN { printf "%.2f", s / (c > 0 ? c : 1) }')" \
    "$(field close_ms)" "$(field private_mb)"
done
