#!/usr/bin/env bash
# Takes the pictures in docs/images/ from the real app: a demo house is
# recorded into a temporary data directory, the meter simulator streams on a
# free loopback port, and kelvora-screenshots photographs the main window and
# each window under a virtual display. The PNGs are then made small.
#   bash scripts/take-screenshots.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" -j1 --target kelvora-screenshots kelvora-meter-sim kelvora-demo-house >/dev/null

data="$(mktemp -d)"
simlog="$(mktemp)"
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$data" "$simlog"
}
trap cleanup EXIT

"$build/bin/kelvora-demo-house" --data-dir "$data"
"$build/bin/kelvora-meter-sim" --bind 127.0.0.1 --port 0 >"$simlog" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do grep -q "listening on" "$simlog" && break; sleep 0.1; done
port="$(sed -n 's/.*listening on .*:\([0-9][0-9]*\)$/\1/p' "$simlog" | head -n 1)"
[ -n "$port" ] || { echo "take-screenshots: the simulator did not start" >&2; cat "$simlog" >&2; exit 1; }

xvfb-run -a -s "-screen 0 1400x900x24" \
    "$build/tools/kelvora-screenshots" --data-dir "$data" --server "127.0.0.1:$port" --out "$root/docs/images" --settle 125
if command -v optipng >/dev/null; then optipng -quiet -o2 "$root"/docs/images/*.png; fi
ls -l "$root"/docs/images/*.png
