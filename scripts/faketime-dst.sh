#!/usr/bin/env bash
# Runs the real app in New York across the two daylight-saving changes of
# 2026 under faketime, against the meter simulator: on 1 November the two
# 1 AM hours get a record each, on 8 March the hour from 1 AM ends at 3 AM,
# and every hour record holds the minutes counted in it.
# Usage: faketime-dst.sh BIN_DIR   (exits 77, "skipped", without faketime)
set -u
bin=${1:-build/bin}
export TZ=America/New_York
source "$(dirname "$0")/faketime-lib.sh"

# Each step: ten seconds before an hour ends, once the app has counted a
# minute of that hour; then the hour's record (the Nth stamped so).
hour_ends() {  # clock, stamp, n
  wait_for_a_minute
  set_clock "$1"
  wait_for_records KWHHours.dat "\"$2\"" "$3"
}

start_app "2026-11-01 00:55:00 EDT"
hour_ends "2026-11-01 00:59:50 EDT" "11/01/26 1:00:00 AM" 1
hour_ends "2026-11-01 01:59:50 EDT" "11/01/26 1:00:00 AM" 2
hour_ends "2026-11-01 01:59:50 EST" "11/01/26 2:00:00 AM" 1
sleep 2
stop_app
check "fall back: two records stamped 1:00:00 AM" [ "$(count KWHHours.dat '"11/01/26 1:00:00 AM"')" = 2 ]
check "fall back: one record stamped 2:00:00 AM" [ "$(count KWHHours.dat '"11/01/26 2:00:00 AM"')" = 1 ]
check "fall back: every hour holds its minutes" \
  bash -c "grep '^\"11/01/26' '$data/KWHHours.dat' | sed -E 's/.*,\"([0-9.]*)\".*/\1/' | awk '\$1 + 0 <= 0 { bad = 1 } END { exit bad }'"
check "fall back: the hour counted now began at 2 AM EST" grep -q '"2026-11-01T02:00:00-05:00"' "$data/KWH_Hr.dat"
fall_fail=$fail

rm -rf "$data"
start_app "2026-03-08 00:55:00 EST"
hour_ends "2026-03-08 00:59:50 EST" "03/08/26 1:00:00 AM" 1
hour_ends "2026-03-08 01:59:50 EST" "03/08/26 3:00:00 AM" 1
sleep 2
stop_app
check "spring forward: no record stamped 2:00:00 AM" [ "$(count KWHHours.dat '"03/08/26 2:00:00 AM"')" = 0 ]
check "spring forward: the hour from 1 AM ends at 3 AM" \
  awk -v v="$(value_of KWHHours.dat '"03/08/26 3:00:00 AM"')" 'BEGIN { exit !(v + 0 > 0) }'
check "spring forward: the hour counted now began at 3 AM EDT" grep -q '"2026-03-08T03:00:00-04:00"' "$data/KWH_Hr.dat"
if [ $fail -ne 0 ] || [ $fall_fail -ne 0 ]; then
  echo "--- app log"; tail -20 "$work/app.log"
  echo "--- KWHHours.dat"; tail -5 "$data/KWHHours.dat"; echo "--- KWH_Hr.dat"; cat "$data/KWH_Hr.dat"
fi
exit $fail
