#!/usr/bin/env bash
# Measures the app's CPU time while it runs against the meter simulator with
# only its main window open, under a virtual X server.
#   bash scripts/measure-cpu.sh [seconds] [build-dir]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$root/build}"
data="$(mktemp -d)"
port=5077
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$data"' EXIT
"$build/bin/kelvora" --data-dir "$data" --initialize >/dev/null
"$build/bin/kelvora-meter-sim" --bind 127.0.0.1 --port "$port" --seed 7 >/dev/null 2>&1 &
sim=$!
sleep 0.5
times="$(mktemp)"
xvfb-run -a -s "-screen 0 1280x800x24" \
    /usr/bin/time -o "$times" -f '%U %S' timeout -s INT "$seconds" \
    "$build/bin/kelvora" --data-dir "$data" --server "127.0.0.1:$port" 2>/dev/null || true
read -r user sys < <(tail -n 1 "$times")
rm -f "$times"
awk -v u="$user" -v s="$sys" -v t="$seconds" \
    'BEGIN { printf "CPU over %d s: user %.2f s, system %.2f s = %.2f %% of one core (start-up included)\n", t, u, s, 100 * (u + s) / t }'
