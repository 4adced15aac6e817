#!/usr/bin/env bash
# Builds Notarra, starts it under Xvfb on the demo data and saves PNGs of
# the List, Item and User pages and of the licence box.
# Usage: scripts/screenshot.sh [OUT-DIR]   (default: screenshots/ in the repository)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
out="${1:-$root/screenshots}"
data="$root/demo-data"

scripts/deps.sh
if ! command -v xvfb-run >/dev/null; then
  echo "Installing xvfb"
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends xvfb xauth
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target notarra-table notarra
[ -e "$data/Blog_Ideas.d" ] || build/release/src/tools/notarra-table init "$data" --sample

mkdir -p "$out"
out="$(cd "$out" && pwd)"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" \
  build/release/src/app/notarra "$data" --screenshots "$out"
ls -1 "$out"/*.png
