#!/usr/bin/env bash
# Builds the libFuzzer targets, replays each one's kept corpus, then fuzzes
# each for a few seconds. Usage: fuzz/smoke.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
shopt -s nullglob
status=0
for fuzzer in build-fuzz/fuzz/*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  seeds=(fuzz/*/corpus/"$name")
  echo "-- $name: ${seeds[*]:-no corpus}, ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=0 "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
