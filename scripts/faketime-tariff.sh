#!/usr/bin/env bash
# Runs the real app with a time-of-use tariff under faketime, against the
# meter simulator: across the 23:00 change from the peak to the night price
# of a Tuesday, and across midnight into a new plan. Each hour's cost must be
# its energy times the price of its band, the day's cost its hours plus the
# plan's daily charge, and KWH_last_data.dat must name the price in force.
# Usage: faketime-tariff.sh BIN_DIR   (exits 77, "skipped", without faketime)
set -u
bin=${1:-build/bin}
export TZ=UTC
source "$(dirname "$0")/faketime-lib.sh"

set_clock "2026-12-08 22:50:00"
faked "$bin/kelvora" --data-dir "$data" --initialize >/dev/null || exit 1
printf '%s\r\n' '"valid from","days","from","to","price"' \
  '"2026-12-01","Mon-Fri","07:00","23:00","0.30"' \
  '"2026-12-01","Mon-Sun","23:00","07:00","0.12"' \
  '"2026-12-01","Sat,Sun","07:00","23:00","0.12"' \
  '"2026-12-01","daily charge","","","0.45"' \
  '"2026-12-09","Mon-Sun","00:00","24:00","0.20"' \
  '"2026-12-09","daily charge","","","0.50"' >"$data/Tariffs.dat"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} faked \
  "$bin/kelvora" --data-dir "$data" --server "127.0.0.1:$port" >"$work/app.log" 2>&1 &
app_pid=$!

# The third field of KWH_last_data.dat: the price of the last minute booked.
last_price() { tr -d '"\r' <"$data/KWH_last_data.dat" | tr '\n' ',' | awk -F, '{ print $3 + 0 }'; }
# Right after a rollover the files may still show the hour before: waits (at
# most 60 s) for the minutes of the new band to be booked, then tells the price.
price_becomes() {  # price
  for _ in $(seq 120); do
    [ "$(last_price)" = "$1" ] && break
    sleep 0.5
  done
  last_price
}
# Waits (at most 60 s) until the hour counted now holds KWH (enough for a
# price to show in its cost).
hour_holds() {  # kwh
  for _ in $(seq 120); do
    awk -v v="$(hour_total)" -v m="$1" 'BEGIN { exit !(v + 0 >= m) }' && return
    sleep 0.5
  done
}

hour_holds 0.1
set_clock "2026-12-08 22:59:50"
wait_for_records CostHours.dat '"12/08/26 11:00:00 PM"' 1
night_price=$(price_becomes 0.12)
hour_holds 0.1
set_clock "2026-12-08 23:59:50"
wait_for_records CostHours.dat '"12/09/26 12:00:00 AM"' 1
wait_for_records CostDays.dat '"12/9/2026  12:00:00 AM"' 1
new_plan_price=$(price_becomes 0.2)
stop_app

# |cost - KWH x price| within the rounding of both to 0.00.
matches() {  # stamp, price
  local kwh cost
  kwh=$(value_of KWHHours.dat "\"$1\"") cost=$(value_of CostHours.dat "\"$1\"")
  echo "  $1: $kwh KWH, cost $cost at $2"
  awk -v k="$kwh" -v c="$cost" -v p="$2" \
    'BEGIN { d = c - k * p; if (d < 0) d = -d; exit !(k + 0 >= 0.05 && d <= 0.005 + 0.005 * p + 1e-9) }'
}
check "the peak hour (22:00-23:00) is booked at 0.30" matches "12/08/26 11:00:00 PM" 0.30
check "the night hour (23:00-24:00) is booked at 0.12" matches "12/09/26 12:00:00 AM" 0.12
check "KWH_last_data.dat after 23:00 holds the night price" [ "$night_price" = 0.12 ]
check "KWH_last_data.dat after midnight holds the new plan's price" [ "$new_plan_price" = 0.2 ]
day_cost=$(value_of CostDays.dat '"12/9/2026  12:00:00 AM"')
hours_cost=$(awk -v a="$(value_of CostHours.dat '"12/08/26 11:00:00 PM"')" \
  -v b="$(value_of CostHours.dat '"12/09/26 12:00:00 AM"')" 'BEGIN { print a + b }')
check "the day's cost is its hours and the old plan's daily charge ($day_cost = $hours_cost + 0.45)" \
  awk -v d="$day_cost" -v h="$hours_cost" 'BEGIN { x = d - h - 0.45; if (x < 0) x = -x; exit !(x <= 0.015) }'
check "the tariff was accepted" cmp -s "$data/Tariffs.dat" "$data/Tariffs.accepted"
if [ $fail -ne 0 ]; then
  echo "--- app log"; tail -20 "$work/app.log"
  for f in KWHHours.dat CostHours.dat CostDays.dat KWH_last_data.dat; do echo "--- $f"; tail -3 "$data/$f"; done
fi
exit $fail
