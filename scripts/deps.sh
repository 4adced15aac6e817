#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Runs apt-get as root directly, else through sudo. dpkg-dev, desktop-file-utils,
# appstream and lintian build and check the Debian package (scripts/package.sh).
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev sqlite3 libsqlite3-dev poppler-utils qt6-base-dev qt6-tools-dev qt6-l10n-tools
          dpkg-dev desktop-file-utils appstream lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
