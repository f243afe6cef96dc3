#!/usr/bin/env bash
# Runs the real app across midnight of 31 December under faketime, against the
# meter simulator, and reads the KWH files afterwards: every period rolls over
# once, with the day-level stamp "12:00:00 AM" and the log patterns.
# Usage: faketime-newyear.sh BIN_DIR   (exits 77, "skipped", without faketime)
set -u
bin=${1:-build/bin}
if ! command -v faketime >/dev/null 2>&1; then
  echo "faketime is not installed (Debian package faketime); skipped"
  exit 77
fi
work=$(mktemp -d /tmp/kelvora-newyear.XXXXXX)
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

# The app runs on a faked wall clock that this script sets through a file:
# first ten minutes before midnight, until the app has counted a minute of the
# last hour (however slow the machine is to get going), then ten seconds
# before midnight. The monotonic clock stays real, so the app's timers do not
# jump with it.
clock_file=$work/faketime.rc
set_clock() { echo "+$(($(date -d "$1" +%s) - $(date +%s)))" >"$clock_file"; }
faked() {
  LD_PRELOAD=$faketime_lib FAKETIME_TIMESTAMP_FILE=$clock_file FAKETIME_CACHE_DURATION=1 \
    FAKETIME_DONT_FAKE_MONOTONIC=1 "$@"
}
faketime_lib=$(faketime -f +0 sh -c 'echo "$LD_PRELOAD"')

set_clock "2026-12-31 23:50:00"
faked "$bin/kelvora" --data-dir "$data" --initialize >/dev/null || exit 1
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} faked \
  "$bin/kelvora" --data-dir "$data" --server "127.0.0.1:$port" >"$work/app.log" 2>&1 &
app_pid=$!

# The running hour total leaves zero with the first minute counted.
hour_total() { sed -n 's/^[^,]*,"\{0,1\}\([0-9.]*\).*/\1/p' "$data/KWH_Hr.dat" 2>/dev/null | head -1; }
for _ in $(seq 240); do
  awk -v v="$(hour_total)" 'BEGIN { exit !(v + 0 > 0) }' && break
  sleep 0.5
done
set_clock "2026-12-31 23:59:50"

new_year='"1/1/2027  12:00:00 AM"'
# Wait for the yearly record (at most 60 s), then 3 s more, so that a second
# rollover would show.
for _ in $(seq 120); do
  grep -q "^$new_year" "$data/KWHyears.dat" 2>/dev/null && break
  sleep 0.5
done
sleep 3
stop_app

fail=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
count() { if [ -f "$data/$1" ]; then grep -c "^$2" "$data/$1"; else echo 0; fi; }
value_of() { grep "^$2" "$data/$1" | head -1 | sed -E 's/^"[^"]*","([^"]*)".*/\1/'; }

for f in KWHhr.dat KWHday.dat; do check "$f: one new-year record" [ "$(count $f "$new_year")" = 1 ]; done
for f in KWHMonth.dat KWHyear.dat; do check "$f: the total and its zero record" [ "$(count $f "$new_year")" = 2 ]; done
for f in KWHhr.dat KWHday.dat KWHweek.dat KWHMonth.dat KWHyear.dat; do
  check "$f: 60 records" [ "$(grep -c . "$data/$f")" = 60 ]
done
check "KWHHours.dat: one record stamped 01/01/27 12:00:00 AM" [ "$(count KWHHours.dat '"01/01/27 12:00:00 AM"')" = 1 ]
for f in KWHDays.dat KWHMonths.dat KWHyears.dat; do check "$f: one new-year record" [ "$(count $f "$new_year")" = 1 ]; done
check "KWHWeeks.dat: at most one new-year record" [ "$(count KWHWeeks.dat "$new_year")" -le 1 ]
check "the last hour of the year holds the minutes counted" \
  awk -v v="$(value_of KWHhr.dat "$new_year")" 'BEGIN { exit !(v + 0 > 0) }'
check "KWHMonths.dat value is ####.##" bash -c "[[ '$(value_of KWHMonths.dat "$new_year")' =~ ^[0-9]*\.[0-9]{0,2}$ ]]"
check "KWHyears.dat value is ######" bash -c "[[ '$(value_of KWHyears.dat "$new_year")' =~ ^[0-9]*$ ]]"
check "KWHyear.dat zero record" bash -c "tail -1 '$data/KWHyear.dat' | grep -q '^$new_year,\"0.00\"'"
if [ $fail -ne 0 ]; then
  echo "--- app log"; tail -20 "$work/app.log"
  for f in KWHhr.dat KWHMonth.dat KWHyear.dat KWHyears.dat; do echo "--- $f"; tail -3 "$data/$f"; done
fi
exit $fail
