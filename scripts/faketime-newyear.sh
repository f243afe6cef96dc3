#!/usr/bin/env bash
# Runs the real app across midnight of 31 December under faketime, against the
# meter simulator, and reads the KWH files afterwards: every period rolls over
# once, with the day-level stamp "12:00:00 AM" and the log patterns.
# Usage: faketime-newyear.sh BIN_DIR   (exits 77, "skipped", without faketime)
set -u
bin=${1:-build/bin}
source "$(dirname "$0")/faketime-lib.sh"

# First ten minutes before midnight, until the app has counted a minute of the
# last hour (however slow the machine is to get going), then ten seconds
# before midnight.
start_app "2026-12-31 23:50:00"
wait_for_a_minute
set_clock "2026-12-31 23:59:50"

new_year='"1/1/2027  12:00:00 AM"'
# Wait for the yearly record, then 3 s more, so that a second rollover would show.
wait_for_records KWHyears.dat "$new_year" 1
sleep 3
stop_app

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
