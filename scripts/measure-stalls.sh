#!/usr/bin/env bash
# Runs the app with every window open on a demo house (14 days of the
# simulated household; DEMO_HOURS sets another length) against the meter
# simulator, under a virtual X server. The first run has the stall watchdog
# on and prints the longest stall of the user interface thread and the
# histogram of how late its 5 ms timer came. The second runs without it (its
# timer wakes the program 200 times a second) and prints the CPU share
# after start-up, while nobody touches the program.
#   [DEMO_DATA=dir] bash scripts/measure-stalls.sh [seconds] [build-dir]
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

hours="${DEMO_HOURS:-336}"
if [ -n "${DEMO_DATA:-}" ]; then  # a demo house recorded before, used as it is
    cp -a "$DEMO_DATA" "$work/demo"
else
    echo "measure-stalls: recording $hours hours of a demo house"
    "$build/bin/kelvora-demo-house" --data-dir "$work/demo" --hours "$hours" >/dev/null
fi

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

run_app() {  # data-dir, extra options...
    local data="$1"
    shift
    rm -rf "$data" && cp -a "$work/demo" "$data"
    xvfb-run -a -s "-screen 0 1920x1080x24" timeout -s INT "$seconds" \
        "$build/bin/kelvora" --data-dir "$data" --server "127.0.0.1:$port" --open-windows "$@"
}

echo "measure-stalls: $seconds s with every window open, simulator on 127.0.0.1:$port"
# SIGINT ends the app in order, and the watchdog prints its report on the way out.
run_app "$work/data" --stall-report 2>"$work/app.err" || true
if ! grep -q "Stall watchdog" "$work/app.err"; then
    echo "measure-stalls: the app printed no stall report:" >&2
    cat "$work/app.err" >&2
    exit 1
fi
sed -n '/^Stall watchdog/,$p' "$work/app.err" | grep -E '^(Stall watchdog|  )'

# The CPU time the app used from the end of its start-up to the end of the run:
# the scheduler's own count of the time each thread ran (schedstat, in
# nanoseconds), and beside it the tick-sampled user and system times of
# /proc/PID/stat, which charge whole 10 ms ticks to whoever runs when a tick
# comes and so read high for a program that wakes briefly on timers.
warmup=$(( seconds / 4 ))
run_app "$work/data2" 2>/dev/null &
runner=$!
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
run_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
sleep "$warmup"
pid="$(pgrep -n -f "^$build/bin/kelvora --data-dir $work/data2" || true)"
[ -n "$pid" ] || { echo "measure-stalls: the second run did not start" >&2; exit 1; }
first="$(cpu_ticks "$pid")"
first_ns="$(run_ns "$pid")"
sleep $(( seconds - warmup - 2 ))
last="$(cpu_ticks "$pid")"
last_ns="$(run_ns "$pid")"
wait "$runner" || true
awk -v a="$first" -v b="$last" -v na="$first_ns" -v nb="$last_ns" -v t=$(( seconds - warmup - 2 )) \
    -v hz="$(getconf CLK_TCK)" 'BEGIN {
        ticks = 100 * (b - a) / hz / t
        if (nb > 0) printf "CPU after start-up, without the watchdog, over %d s: %.2f %% of one core (tick-sampled: %.2f %%)\n", t, 100 * (nb - na) / 1e9 / t, ticks
        else printf "CPU after start-up, without the watchdog, over %d s: %.2f %% of one core (tick-sampled)\n", t, ticks }'
