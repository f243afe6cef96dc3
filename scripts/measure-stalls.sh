#!/usr/bin/env bash
# Runs the app with every window open on a demo house (48 hours of the
# simulated household) against the meter simulator, under a virtual X
# server, with the stall watchdog on; prints the longest stall of the user
# interface thread, the histogram of how late its 5 ms timer came, and the
# app's CPU share.
#   bash scripts/measure-stalls.sh [seconds] [build-dir]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$root/build}"
for exe in kelvora kelvora-meter-sim kelvora-demo-house; do
    [ -x "$build/bin/$exe" ] || { echo "measure-stalls: $build/bin/$exe is missing; build first" >&2; exit 1; }
done
work="$(mktemp -d)"
sim=""
cleanup() {
    if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "measure-stalls: recording 48 hours of a demo house"
"$build/bin/kelvora-demo-house" --data-dir "$work/data" --hours 48 >/dev/null

# The simulator on a free loopback port (0: it picks one and says which).
"$build/bin/kelvora-meter-sim" --bind 127.0.0.1 --port 0 --seed 7 >"$work/sim.log" 2>&1 &
sim=$!
port=""
for _ in $(seq 1 100); do
    port="$(sed -n 's/.*listening on .*:\([0-9][0-9]*\)$/\1/p' "$work/sim.log" | head -n 1)"
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "measure-stalls: the simulator did not start" >&2; cat "$work/sim.log" >&2; exit 1; }

echo "measure-stalls: $seconds s with every window open, simulator on 127.0.0.1:$port"
# SIGINT ends the app in order, and the watchdog prints its report on the way out.
xvfb-run -a -s "-screen 0 1920x1080x24" \
    /usr/bin/time -o "$work/times" -f '%U %S' timeout -s INT "$seconds" \
    "$build/bin/kelvora" --data-dir "$work/data" --server "127.0.0.1:$port" --stall-report --open-windows \
    2>"$work/app.err" || true
if ! grep -q "Stall watchdog" "$work/app.err"; then
    echo "measure-stalls: the app printed no stall report:" >&2
    cat "$work/app.err" >&2
    exit 1
fi
sed -n '/^Stall watchdog/,$p' "$work/app.err" | grep -E '^(Stall watchdog|  )'
read -r user sys < <(tail -n 1 "$work/times")
awk -v u="$user" -v s="$sys" -v t="$seconds" \
    'BEGIN { printf "CPU over %d s: user %.2f s, system %.2f s = %.2f %% of one core (start-up included)\n", t, u, s, 100 * (u + s) / t }'
