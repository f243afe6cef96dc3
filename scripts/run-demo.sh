#!/usr/bin/env bash
# make run: starts the bundled meter simulator on 127.0.0.1 (port 5000, or the
# first free one after it), prepares the demo data directory on its first use
# (a demo house: 14 days of the simulated household recorded by the app's own
# logic, with settings that point at the simulator), runs the app on it, and
# stops the simulator when the app exits. Later runs keep the data.
#
#   bash scripts/run-demo.sh [build-dir]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
app="$build/bin/kelvora"
sim="$build/bin/kelvora-meter-sim"
demo="$build/bin/kelvora-demo-house"
data="$root/demo-data"
settings="$data/SetupData.ini"

for exe in "$app" "$sim"; do
    if [ ! -x "$exe" ]; then
        echo "run-demo: $exe is missing; build first (make build)" >&2
        exit 1
    fi
done

# Value line N of the settings file, without quotes and line end.
setting_line() { sed -n "${1}p" "$settings" | tr -d '\r"' | sed 's/^ *//; s/ *$//'; }

# The port the demo settings already point at, if they exist.
wanted=5000
if [ -f "$settings" ]; then
    saved="$(setting_line 5)"
    if [[ "$saved" =~ ^[0-9]+$ ]] && ((saved >= 1 && saved <= 65535)); then wanted=$saved; fi
fi

sim_pid=""
simlog="$(mktemp)"
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -f "$simlog"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts the simulator on port $1; true once it listens (sets port), false
# when it could not (the port is taken).
start_sim() {
    : >"$simlog"
    "$sim" --bind 127.0.0.1 --port "$1" >"$simlog" 2>&1 &
    sim_pid=$!
    for _ in $(seq 1 100); do
        if grep -q "listening on" "$simlog"; then
            port="$(sed -n 's/.*listening on .*:\([0-9][0-9]*\)$/\1/p' "$simlog" | head -n 1)"
            return 0
        fi
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            wait "$sim_pid" 2>/dev/null || true
            sim_pid=""
            return 1
        fi
        sleep 0.1
    done
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
    return 1
}

port=""
for candidate in "$wanted" $(seq 5000 5099); do
    if [ "$candidate" != "$wanted" ] || [ -z "$port" ]; then
        if start_sim "$candidate"; then break; fi
    fi
done
if [ -z "$sim_pid" ] || [ -z "$port" ]; then
    echo "run-demo: could not start the meter simulator on 127.0.0.1 (ports $wanted, 5000-5099):" >&2
    cat "$simlog" >&2
    exit 1
fi
echo "run-demo: meter simulator on 127.0.0.1:$port"

# The default settings file, should the app not be able to make it.
write_default_settings() {
    local lines=(
        '"Starting on line 2, every other line is a comment.  comments must be in quotes."'
        '"remote host"' '"192.168.1.100"'
        '"remote port"' '"5000"'
        '"VAC Cal Value"' '"240.0"'
        '"VAC Option"' '"240"'
        '"VAC Cal"' '"400"'
        '"AAMPS Cal"' '"256"'
        '"BAMPS Cal"' '"256"'
        '"AAMPS Cal Value"' '"100.0"'
        '"BAMPS Cal Value"' '"100.0"'
    )
    printf '%s\r\n' "${lines[@]}" >"$settings"
}

mkdir -p "$data"
if [ ! -f "$settings" ]; then
    if [ -x "$demo" ]; then
        days="${DEMO_DAYS:-14}"
        echo "run-demo: recording $days days of a demo house into $data (once; about two minutes for 14)"
        "$demo" --data-dir "$data" --days "$days" ||
            echo "run-demo: the demo house could not be recorded; starting with empty data" >&2
    fi
    if [ ! -f "$settings" ]; then
        echo "run-demo: preparing $data"
        "$app" --data-dir "$data" --initialize
    fi
    if [ ! -f "$settings" ]; then
        printf '"init done"\r\n' >"$data/init.dat"
        write_default_settings
    fi
    # Point the remote host (line 3) and port (line 5) at the simulator,
    # keeping the file's form: quoted values, CR LF line ends.
    tmp="$(mktemp "$data/.SetupData.XXXXXX")"
    awk -v port="$port" 'BEGIN { ORS = "\r\n" }
        { sub(/\r$/, "") }
        NR == 3 { $0 = "\"127.0.0.1\"" }
        NR == 5 { $0 = "\"" port "\"" }
        { print }' "$settings" >"$tmp"
    mv "$tmp" "$settings"
fi

# Settings that point at the simulator on another port (5000 was taken this
# time): connect to where it runs now, for this run only.
args=(--data-dir "$data")
if [ "$(setting_line 3)" = "127.0.0.1" ] && [ "$(setting_line 5)" != "$port" ]; then
    args+=(--server "127.0.0.1:$port")
fi

set +e
"$app" "${args[@]}"
rc=$?
set -e
exit "$rc"
