#!/usr/bin/env bash
# Runs every fuzz target of a build for a given time each.
#   bash scripts/run-fuzz.sh <build-dir> <seconds>
# Each target <name> keeps its corpus in fuzz-corpus/<name>, seeded from
# fuzz/seeds/<name>/ when that folder exists. Crash inputs land in
# fuzz-corpus/<name>-crashes/. Exits non-zero when a target found a fault.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 <build-dir> <seconds>" >&2
  exit 2
fi
BUILD_DIR=$1
SECONDS_PER_TARGET=$2
ROOT=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
targets=("$BUILD_DIR"/bin/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets in $BUILD_DIR/bin (build with -DKELVORA_FUZZ=ON)." >&2
  exit 1
fi

failed=()
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$ROOT/fuzz-corpus/$name"
  crashes="$ROOT/fuzz-corpus/$name-crashes"
  mkdir -p "$corpus" "$crashes"
  if [ -d "$ROOT/fuzz/seeds/$name" ]; then
    cp -n "$ROOT/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  fi
  log="$ROOT/fuzz-corpus/$name.log"
  echo "== $name: ${SECONDS_PER_TARGET}s, corpus $(ls "$corpus" | wc -l) inputs"
  "$target" "$corpus" \
    -max_total_time="$SECONDS_PER_TARGET" \
    -max_len=8192 \
    -rss_limit_mb=2048 \
    -timeout=10 \
    -print_final_stats=1 \
    -artifact_prefix="$crashes/" >"$log" 2>&1
  rc=$?
  grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::(number_of_executed_units|peak_rss_mb|new_units_added))' "$log" || true
  echo "   corpus now $(ls "$corpus" | wc -l) inputs; full log $log"
  if [ $rc -ne 0 ]; then
    echo "   FAULT (exit $rc):"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 | sed 's/^/     /'
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Faults found in: ${failed[*]}"
  exit 1
fi
echo "No faults found."
