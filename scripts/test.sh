#!/usr/bin/env bash
# Builds and runs every test, builds and checks the Debian package, then
# builds and runs the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every fuzz target for a few seconds
# on its kept corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Release build and tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOTARRA_BENCH=ON >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Debian package"
deb=$(scripts/package.sh build/release)
tests/packaging/check_package.sh "$deb"

echo "== Sanitizer build and tests"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNOTARRA_SANITIZE=ON -DNOTARRA_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== Fuzz targets on the kept corpus"
# The fuzzer's progress lines go to a log; a crash shows its end.
mkdir -p build
if ! scripts/fuzz.sh 5 all > build/fuzz-ci.log 2>&1; then
  tail -n 60 build/fuzz-ci.log
  exit 1
fi
grep -E '^Done [0-9]+ runs' build/fuzz-ci.log
