#!/usr/bin/env bash
# notarra-table against sqlite3 on the same ideas (1,000,000 unless given),
# each a fresh process with both files in the page cache, medians of 5
# interleaved runs. Building the data (our table file and the SQLite
# database) is not timed. Printed as ratios to sqlite3:
#   count                       open and count   / SELECT count(*)
#   count --index Subject       open and sort    / SELECT * ORDER BY Subject
#   count --filter Group='Tech' open and filter  / SELECT * WHERE "Group" = 'Tech'
#   the prefix and substring LIKE filters with the Group;Subject order
# and the memory that belongs to the process alone for open + sort, beside
# the file's size (bench/load_sort: anonymous resident memory, the mapped
# file's pages being the page cache's).
#   bench/compare_sqlite.sh [RECORDS]      (BUILD=dir picks the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
records=${1:-1000000}
scripts/deps.sh
command -v sqlite3 >/dev/null || sudo apt-get install -y sqlite3 >/dev/null
build=${BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOTARRA_BENCH=ON >/dev/null
cmake --build "$build" --target notarra-table load_sort >/dev/null

data=build/bench-data
mkdir -p "$data"
table="$data/ideas-$records.d"
db="$data/ideas-$records.sqlite"
tool=$build/src/tools/notarra-table

if [ ! -f "$table" ]; then
  echo "Generating $records ideas..."
  "$tool" generate "$table" --records "$records" --seed 1
fi
if [ ! -f "$db" ]; then
  echo "Building the SQLite database..."
  "$tool" export "$table" --csv "$data/ideas.csv"
  rm -f "$db.tmp"
  sqlite3 "$db.tmp" <<SQL
CREATE TABLE ideas(Flag, Subject TEXT, "Group" TEXT, Title TEXT, Keywords TEXT, Notes TEXT,
                   Published TEXT, PubDate TEXT, "Key" INTEGER PRIMARY KEY, UserField1 TEXT, UserField2 TEXT);
.import --csv --skip 1 $data/ideas.csv ideas
SQL
  mv "$db.tmp" "$db"
  rm -f "$data/ideas.csv"
fi

sync
cat "$table" "$db" >/dev/null

# Milliseconds one command takes, its output thrown away.
ms() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# name | our command | sqlite3's query
cases=(
  "count|count $table|SELECT count(*) FROM ideas;"
  "count --index Subject|count $table --index Subject|SELECT * FROM ideas ORDER BY Subject;"
  "count --filter Group = 'Tech'|count $table --filter \"Group\" = 'Tech'|SELECT * FROM ideas WHERE \"Group\" = 'Tech';"
  "filter LIKE 'What%', Group;Subject|count $table --filter Subject LIKE 'What%' --index Group;Subject|SELECT * FROM ideas WHERE Subject LIKE 'What%' ORDER BY \"Group\", Subject;"
  "filter LIKE '%ways to%', Group;Subject|count $table --filter Subject LIKE '%ways to%' --index Group;Subject|SELECT * FROM ideas WHERE Subject LIKE '%ways to%' ORDER BY \"Group\", Subject;"
)
printf 'table file: %.1f MB, %s ideas\n' "$(stat -c %s "$table" | awk '{ print $1 / 1e6 }')" "$records"
for c in "${cases[@]}"; do
  IFS='|' read -r name ours query <<<"$c"
  # The filter texts hold blanks: rebuild the argument list around --filter and --index.
  args=()
  rest=${ours#count $table}
  args=(count "$table")
  if [[ $rest == *--filter* ]]; then
    filter=${rest#*--filter }
    filter=${filter%% --index*}
    args+=(--filter "$filter")
  fi
  if [[ $rest == *--index* ]]; then args+=(--index "${rest##*--index }"); fi
  a=() b=()
  for i in 1 2 3 4 5; do
    a+=("$(ms "$tool" "${args[@]}")")
    b+=("$(ms sqlite3 "$db" "$query")")
  done
  oa=$(printf '%s\n' "${a[@]}" | median)
  ob=$(printf '%s\n' "${b[@]}" | median)
  printf '%-40s notarra-table %5d ms   sqlite3 %5d ms   ratio %.2f\n' "$name" "$oa" "$ob" \
    "$(awk -v a="$oa" -v b="$ob" 'BEGIN { print a / (b > 0 ? b : 1) }')"
done

line=$("$build"/bench/load_sort "$table" Subject)
private=$(sed -n 's/.*private_mb \([0-9]*\).*/\1/p' <<<"$line")
printf 'open + sort by Subject (load_sort): %s\n' "$line"
printf 'private memory / file: %.2f\n' "$(awk -v p="$private" -v f="$(stat -c %s "$table")" 'BEGIN { print p * 1e6 / f }')"
