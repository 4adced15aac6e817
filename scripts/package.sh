#!/usr/bin/env bash
# Builds the Debian package of Notarra (the program, notarra-table, the desktop
# entry with its launcher, icons, AppStream metadata and man pages) with CPack.
# Usage: scripts/package.sh [BUILD-DIR]   (default build/release)
# Prints the path of the .deb; install it with  sudo apt-get install ./notarra_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target notarra notarra-table notarra_package_files >&2
rm -f "$build"/package/notarra_*.deb
(cd "$build" && cpack -B package >&2)
ls "$build"/package/notarra_*.deb
