#!/usr/bin/env bash
# A longer fuzzing campaign: each libFuzzer target runs for the given time
# from its kept corpus, then the corpus is minimised and written back to
# fuzz/<folder>/corpus/<target>/. Findings land in build-fuzz/findings/.
# Usage: fuzz/campaign.sh [seconds-per-target] [targets running at once] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
parallel="${2:-2}"
shift 2 || shift $#
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build-fuzz/findings build-fuzz/campaign

run_one() {
  local fuzzer="$1" seconds="$2" name seeds work log
  name=$(basename "$fuzzer")
  seeds=$(ls -d fuzz/*/corpus/"$name" 2>/dev/null | head -n 1)
  [ -n "$seeds" ] || { seeds="fuzz/$name-corpus"; mkdir -p "$seeds"; }
  work="build-fuzz/campaign/$name"
  log="build-fuzz/campaign/$name.log"
  rm -rf "$work" "$work.min"
  mkdir -p "$work" "$work.min"
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$name-" "$work" "$seeds" >"$log" 2>&1 || true
  "$fuzzer" -merge=1 "$work.min" "$work" "$seeds" >>"$log" 2>&1
  rm -rf "$seeds" && mv "$work.min" "$seeds"
  printf '%s executions=%s corpus=%s findings=%s\n' "$name" \
    "$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')" \
    "$(ls "$seeds" | wc -l)" "$(ls build-fuzz/findings | grep -c "^$name-" || true)"
}
export -f run_one

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build-fuzz/fuzz/*; do [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c "run_one build-fuzz/fuzz/{} $seconds"
