#!/usr/bin/env bash
# Builds Notarra (Release) and opens its window on demo data.
# Usage: scripts/run.sh [DIR]   (DIR defaults to demo-data/ in the repository)
# DIR gets the three tables with sample ideas when it lacks them.
# Without a display, run it as:  xvfb-run -a scripts/run.sh
# or look at it offscreen with:  scripts/screenshot.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# A DIR given is taken relative to where the script was started.
data="$(realpath -m "${1:-$root/demo-data}")"
cd "$root"

# Say it before building: without a display there is no window to open.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
run.sh: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
  - start it on a virtual display:  xvfb-run -a scripts/run.sh $*
    (xvfb-run comes with the Debian package xvfb: apt-get install xvfb xauth)
  - or take pictures of each page:  scripts/screenshot.sh
  - or run it from a desktop session, or over ssh -X.
MSG
  exit 1
fi

scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target notarra-table notarra
tool="$root/build/release/src/tools/notarra-table"
program="$root/build/release/src/app/notarra"

tables=("$data/Blog_Ideas.d" "$data/group.d" "$data/User.d")
missing=0
for t in "${tables[@]}"; do [ -e "$t" ] || missing=$((missing + 1)); done
if [ "$missing" -eq "${#tables[@]}" ]; then
  "$tool" init "$data" --sample
elif [ "$missing" -ne 0 ]; then
  echo "run.sh: $data holds only some of the three tables; complete or remove them first" >&2
  exit 1
fi

# The program reads its tables from the working directory.
cd "$data"
exec "$program"
