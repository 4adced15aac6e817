#!/usr/bin/env bash
# Times loading the 1,000,000-idea table plus sorting it by Group then Subject
# against sqlite3 selecting the same rows in the same order. Building the
# data (our table file and the SQLite database) is not timed.
# Then the same with a filter: notarra-table opening the table with
# --filter "Subject LIKE ..." and --index, against sqlite3 selecting with the
# same WHERE in that order (both match without regard to case).
#   bench/compare_sqlite.sh [RECORDS]      (BUILD=dir picks the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
records=${1:-1000000}
scripts/deps.sh
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

now() { date +%s.%N; }
sync
# Warm the page cache for both files so that both sides read from memory.
cat "$table" "$db" >/dev/null

t0=$(now)
ours=$("$build"/bench/load_sort "$table" "Group;Subject")
t1=$(now)
counted=$("$tool" count "$table" --index "Group;Subject")
t1b=$(now)
sqlite3 "$db" '.output /dev/null' 'SELECT * FROM ideas ORDER BY "Group", Subject;'
t2=$(now)
rows=$(sqlite3 "$db" 'SELECT count(*) FROM ideas;')

awk -v a="$t0" -v b="$t1" -v bb="$t1b" -v counted="$counted" -v c="$t2" -v ours="$ours" -v rows="$rows" -v size="$(stat -c %s "$table")" 'BEGIN {
  o = b - a; t = bb - b; s = c - bb;
  printf "table file: %.1f MB\n", size / 1e6;
  printf "notarra load + sort: %.3f s (%s)\n", o, ours;
  printf "sqlite3 ordered select: %.3f s (%d rows)\n", s, rows;
  printf "notarra-table count --index (open as the program does): %.3f s (%s records)\n", t, counted;
  printf "ratio load+sort / sqlite3: %.2f\n", o / s;
  printf "ratio count --index / sqlite3: %.2f\n", t / s;
}'

# Open, filter and sort together: a prefix and a substring pattern, each keeping about a fifth
# of the generated ideas (a pattern that keeps none would time an empty result).
for like in "Subject LIKE 'What%'" "Subject LIKE '%ways to%'"; do
  f0=$(now)
  kept=$("$tool" count "$table" --filter "$like" --index "Group;Subject")
  f1=$(now)
  sqlite3 "$db" '.output /dev/null' "SELECT * FROM ideas WHERE $like ORDER BY \"Group\", Subject;"
  f2=$(now)
  sqlrows=$(sqlite3 "$db" "SELECT count(*) FROM ideas WHERE $like;")
  awk -v a="$f0" -v b="$f1" -v c="$f2" -v kept="$kept" -v rows="$sqlrows" -v like="$like" 'BEGIN {
    printf "%s\n", like;
    printf "  notarra-table count --filter --index: %.3f s (%s records)\n", b - a, kept;
    printf "  sqlite3 WHERE ... ORDER BY: %.3f s (%d rows)\n", c - b, rows;
    printf "  ratio filter / sqlite3: %.2f\n", (b - a) / (c - b);
  }'
done
