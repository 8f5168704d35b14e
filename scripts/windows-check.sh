#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 and runs the end-to-end
# suite against the .exe files under Wine. Needs the release build's tests
# (cmake --workflow --preset release) and Debian's g++-mingw-w64-x86-64, wine.
# The fault-injection suite (shell limits, /dev/full) is POSIX-only and left out.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows
[ -d build/tests ] || { echo "build the release preset first"; exit 1; }
export WINEDEBUG=-all
# Wine hands the programs file names and arguments in the locale's encoding.
export LC_ALL=C.UTF-8
wine cmd /c exit 0 >/dev/null 2>&1 || true   # creates the Wine prefix once
KVO_RUNNER=wine KVO_EXE_SUFFIX=.exe KVO_BIN_DIR="$PWD/build-windows/bin" \
  ctest --test-dir build --output-on-failure -j2 -E "^Fault" "$@"
