#!/usr/bin/env bash
# The toolkit's main job on the bundled samples, step by step.
# Usage: samples/demo.sh [folder-with-the-programs]   (default: build/bin)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(cd "${1:-$here/../build/bin}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

step() { printf '\n== %s\n$ %s\n' "$1" "${*:2}"; "${@:2}"; }

step "Decompress the sample and log every token" \
  "$bin/kvocxd" -l "$here/sample.c1" sample.bin
step "The decompressed text" cat sample.bin
echo
echo "Demo finished: every step succeeded."
