#!/usr/bin/env bash
# Builds Notarra (Release) and shows it on demo data.
# Usage: scripts/run.sh [DIR]   (DIR defaults to demo-data/ in the repository)
# DIR gets the three tables with sample ideas when it lacks them. Until the
# program's window exists, the demo idea table is printed as CSV.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
data="${1:-$root/demo-data}"

# Build messages go to standard error, so that standard output is the table alone.
scripts/deps.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target notarra-table >&2
tool="$root/build/release/src/tools/notarra-table"

tables=("$data/Blog_Ideas.d" "$data/group.d" "$data/User.d")
missing=0
for t in "${tables[@]}"; do [ -e "$t" ] || missing=$((missing + 1)); done
if [ "$missing" -eq "${#tables[@]}" ]; then
  "$tool" init "$data" --sample >&2
elif [ "$missing" -ne 0 ]; then
  echo "run.sh: $data holds only some of the three tables; complete or remove them first" >&2
  exit 1
fi

"$tool" dump "$data/Blog_Ideas.d" --format csv
