# Shared by the faketime runs: the meter simulator on a free loopback port,
# the real app on a faked wall clock that the run sets through a file, and
# the checks of the files it leaves. Source it with bin set; it sets work,
# data, port and the functions below, and cleans up on exit.
# Exits 77 ("skipped") where faketime is not installed.
if ! command -v faketime >/dev/null 2>&1; then
  echo "faketime is not installed (Debian package faketime); skipped"
  exit 77
fi
work=$(mktemp -d /tmp/kelvora-faketime.XXXXXX)
data=$work/data
sim_pid="" app_pid=""
# faketime runs the program as its child: stop the child, then faketime.
stop_app() {
  pkill -TERM -P "$app_pid" 2>/dev/null
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
  app_pid=""
}
cleanup() {
  [ -n "$app_pid" ] && stop_app
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator runs on real time, a message every 50 ms (a minute value every 1.5 s).
for attempt in 1 2 3 4 5; do
  port=$((5100 + RANDOM % 900))
  "$bin/kelvora-meter-sim" --port "$port" --interval-ms 50 >"$work/sim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 20); do grep -q listening "$work/sim.log" && break; sleep 0.1; done
  grep -q listening "$work/sim.log" && break
  kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; sim_pid=""
done
[ -n "$sim_pid" ] || { echo "the simulator did not start"; cat "$work/sim.log"; exit 1; }

# The monotonic clock stays real, so the app's timers do not jump with the
# wall clock.
clock_file=$work/faketime.rc
# A relative offset, "+N" or "-N" seconds (the change of summer time lies in the past).
set_clock() { printf "%+d\n" "$(($(date -d "$1" +%s) - $(date +%s)))" >"$clock_file"; }
faked() {
  LD_PRELOAD=$faketime_lib FAKETIME_TIMESTAMP_FILE=$clock_file FAKETIME_CACHE_DURATION=1 \
    FAKETIME_DONT_FAKE_MONOTONIC=1 "$@"
}
faketime_lib=$(faketime -f +0 sh -c 'echo "$LD_PRELOAD"')

# A fresh data directory and the app on it, from the time given.
start_app() {
  set_clock "$1"
  faked "$bin/kelvora" --data-dir "$data" --initialize >/dev/null || exit 1
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} faked \
    "$bin/kelvora" --data-dir "$data" --server "127.0.0.1:$port" >"$work/app.log" 2>&1 &
  app_pid=$!
}

# The running hour total; it leaves zero with the first minute counted.
hour_total() { sed -n 's/^[^,]*,"\{0,1\}\([0-9.]*\).*/\1/p' "$data/KWH_Hr.dat" 2>/dev/null | head -1; }
wait_for_a_minute() {
  for _ in $(seq 240); do
    awk -v v="$(hour_total)" 'BEGIN { exit !(v + 0 > 0) }' && return
    sleep 0.5
  done
}
# Waits (at most 60 s) until FILE holds N lines starting with TEXT.
wait_for_records() {  # file, text, n
  for _ in $(seq 120); do
    [ "$(count "$1" "$2")" -ge "$3" ] && return
    sleep 0.5
  done
}

fail=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
count() { if [ -f "$data/$1" ]; then grep -c "^$2" "$data/$1"; else echo 0; fi; }
value_of() { grep "^$2" "$data/$1" | head -1 | sed -E 's/^"[^"]*","([^"]*)".*/\1/'; }
