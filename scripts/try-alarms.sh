#!/usr/bin/env bash
# Runs the real app against the meter simulator on a load script that trips
# and clears the phase, voltage and meter-link alarms, with a private session
# bus (and a small notification service on it) and a private MQTT broker, and
# shows what each place got: alarms.log, the notifications dbus-monitor saw,
# the alarm messages mosquitto_sub received. Needs xvfb-run, dbus-daemon,
# mosquitto and mosquitto-clients; the notification service needs python3-dbus
# and python3-gi (without them dbus-monitor still shows the calls).
#   bash scripts/try-alarms.sh [build-dir] [out-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
out="${2:-$(mktemp -d)}"
mkdir -p "$out"
script="$root/tools/meter-sim/scripts/alarms.txt"
data="$out/data"
rm -rf "$data" && mkdir -p "$data"
printf '[alarms]\nlink_seconds=20\n' >"$data/AlarmSetup.ini"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# A session bus of our own, so no desktop of the machine is touched.
bus_out="$out/bus.txt"
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$bus_out"
export DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p "$bus_out")"
pids+=("$(sed -n 2p "$bus_out")")
dbus-monitor --session "interface='org.freedesktop.Notifications',member='Notify'" >"$out/dbus-monitor.txt" 2>&1 &
pids+=($!)
/usr/bin/python3 - >"$out/notification-service.txt" 2>&1 <<'PY' &
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
class Notifications(dbus.service.Object):
    last = 0
    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        Notifications.last += 1
        nid = replaces or Notifications.last
        print(f"notification {nid}: {summary} | {body}", flush=True)
        return nid
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.Notifications", bus)
Notifications(bus, "/org/freedesktop/Notifications")
GLib.MainLoop().run()
PY
pids+=($!)

broker_port="$(free_port)"
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$broker_port" >"$out/mosquitto.conf"
/usr/sbin/mosquitto -c "$out/mosquitto.conf" >"$out/mosquitto.log" 2>&1 &
pids+=($!)
sleep 1
mosquitto_sub -p "$broker_port" -h 127.0.0.1 -v -t 'kelvora/+/alarm/#' -t 'homeassistant/binary_sensor/#' \
    | while IFS= read -r line; do printf '%s %s\n' "$(date +%T)" "$line"; done >"$out/mqtt.txt" &
pids+=($!)

"$build/bin/kelvora-meter-sim" --port 0 --script "$script" >"$out/sim.txt" 2>&1 &
pids+=($!)
for _ in $(seq 1 50); do grep -q "listening on" "$out/sim.txt" && break; sleep 0.1; done
sim_port="$(sed -n 's/.*listening on .*:\([0-9][0-9]*\)$/\1/p' "$out/sim.txt")"

xvfb-run -a -s "-screen 0 1280x860x24" bash -c '
  "$0/bin/kelvora" --data-dir "$1" --server "127.0.0.1:$2" --mqtt "mqtt://127.0.0.1:$3" >"$4/app.txt" 2>&1 &
  app=$!
  out="$4"
  shot() { sleep "$1"; if command -v import >/dev/null; then import -window root "$out/$2.png"; fi; }
  shot 36 strip-phase-a; shot 50 strip-voltage; shot 60 strip-link
  sleep 30
  kill $app; wait $app 2>/dev/null || true
' "$build" "$data" "$sim_port" "$broker_port" "$out" "$out"

echo "== alarms.log"; cat "$data/alarms.log"
echo "== notifications (service)"; cat "$out/notification-service.txt"
echo "== dbus-monitor (Notify calls)"; grep -A12 'member=Notify' "$out/dbus-monitor.txt" | grep -E 'member=Notify|string "Kelvora|string "(ALARM|[0-9])|string "no message|string "messages' || true
echo "== MQTT"; grep -v '/config ' "$out/mqtt.txt"
echo "(everything is in $out)"
