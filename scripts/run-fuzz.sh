#!/usr/bin/env bash
# Runs the fuzz targets of a build, each for a given time or number of inputs.
#   bash scripts/run-fuzz.sh [--runs N] <build-dir> <seconds> [target ...]
# Without targets every *_fuzz program of the build runs. --runs N stops each
# at N inputs (a time of 0 then means no time limit). Each target <name>
# keeps its corpus in fuzz-corpus/<name>, seeded from fuzz/seeds/<name>/, and
# uses fuzz/<name>.dict when there is one, and the libFuzzer flags of
# fuzz/<name>.options (one a line, such as a -max_len that fits its files). Crash inputs land in
# fuzz-corpus/<name>-crashes/. Prints libFuzzer's closing figures (inputs,
# inputs a second, coverage) and exits non-zero when a target found a fault.
set -uo pipefail

runs=-1
if [ "${1:-}" = "--runs" ]; then
  runs=$2
  shift 2
fi
if [ $# -lt 2 ]; then
  echo "usage: $0 [--runs N] <build-dir> <seconds> [target ...]" >&2
  exit 2
fi
BUILD_DIR=$1
SECONDS_PER_TARGET=$2
shift 2
ROOT=$(cd "$(dirname "$0")/.." && pwd)
# One frame of each allocation's stack, not thirty: Qt's libraries keep no
# frame pointers, so the fast unwinder reads garbage past them and every
# allocation's stack is a new one. AddressSanitizer keeps each stack for good,
# and a long run then grows by hundreds of bytes an input and slows down with
# it. A crash input is kept either way; run it again for the full stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=1}

shopt -s nullglob
if [ $# -gt 0 ]; then
  targets=()
  for name in "$@"; do targets+=("$BUILD_DIR/bin/$name"); done
else
  targets=("$BUILD_DIR"/bin/*_fuzz)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets in $BUILD_DIR/bin (build with -DKELVORA_FUZZ=ON)." >&2
  exit 1
fi

failed=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  if [ ! -x "$target" ]; then
    echo "== $name: not built" >&2
    failed+=("$name")
    continue
  fi
  corpus="$ROOT/fuzz-corpus/$name"
  crashes="$ROOT/fuzz-corpus/$name-crashes"
  mkdir -p "$corpus" "$crashes"
  if [ -d "$ROOT/fuzz/seeds/$name" ]; then
    cp -n "$ROOT/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  fi
  extra=()
  [ -f "$ROOT/fuzz/$name.dict" ] && extra+=(-dict="$ROOT/fuzz/$name.dict")
  # After the defaults below: libFuzzer takes the last of a repeated flag.
  [ -f "$ROOT/fuzz/$name.options" ] && mapfile -t options < <(grep -v '^#' "$ROOT/fuzz/$name.options") || options=()
  log="$ROOT/fuzz-corpus/$name.log"
  echo "== $name: ${SECONDS_PER_TARGET}s, runs $runs, corpus $(ls "$corpus" | wc -l) inputs"
  "$target" "$corpus" "${extra[@]}" \
    -runs="$runs" \
    -max_total_time="$SECONDS_PER_TARGET" \
    -max_len=8192 \
    -rss_limit_mb=2048 \
    -timeout=10 \
    -print_final_stats=1 \
    -artifact_prefix="$crashes/" "${options[@]}" >"$log" 2>&1
  rc=$?
  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse)|^Done|^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" |
    grep -v pulse | tail -6 || true
  echo "   corpus now $(ls "$corpus" | wc -l) inputs; full log $log"
  if [ $rc -ne 0 ]; then
    echo "   FAULT (exit $rc):"
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -5 | sed 's/^/     /'
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "Faults found in: ${failed[*]}"
  exit 1
fi
echo "No faults found."
