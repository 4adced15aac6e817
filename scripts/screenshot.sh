#!/usr/bin/env bash
# Builds Notarra, opens its main window under Xvfb on the demo data (in the
# data folder, as the program runs) and saves PNGs of the List, Item and
# User pages (at the first, the smallest and a large size), the popups,
# dialogs and the licence box. Installs xvfb when it is missing.
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
cmake --build build/release --target notarra-table notarra-screenshots
[ -e "$data/Blog_Ideas.d" ] || build/release/src/tools/notarra-table init "$data" --sample

mkdir -p "$out"
out="$(cd "$out" && pwd)"
shooter="$root/build/release/src/app/notarra-screenshots"
# Run in the data folder, as the program is: it reads the tables from there.
(cd "$data" && QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" "$shooter" "$out")
ls -1 "$out"/*.png
