#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks that a desktop would find
# everything there: the two programs, the menu entry (valid to
# desktop-file-validate, naming a program and icon that were installed), the
# icon as SVG and in each PNG size, the user manual as a PDF, and the
# package's copyright file, change log and manual pages.
#   check-install.sh BUILD_DIR APP_ID
set -euo pipefail
build="$1"
id="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail=0
problem() { echo "check-install: $*" >&2; fail=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for exe in kelvora kelvora-meter-sim; do
    [ -x "$prefix/bin/$exe" ] || problem "bin/$exe is missing or not executable"
done
"$prefix/bin/kelvora" --version | grep -q '^kelvora ' || problem "the installed kelvora does not run"

desktop="$prefix/share/applications/$id.desktop"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || problem "$id.desktop does not validate"
    exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
    [ -x "$prefix/bin/${exec_line%% *}" ] || problem "the menu entry starts '${exec_line%% *}', which was not installed"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    [ "$icon" = "$id" ] || problem "the menu entry names the icon '$icon', not $id"
else
    problem "share/applications/$id.desktop is missing"
fi

icons="$prefix/share/icons/hicolor"
grep -q '<svg' "$icons/scalable/apps/$id.svg" 2>/dev/null || problem "the scalable icon is missing"
for size in 48 128 256; do
    png="$icons/${size}x${size}/apps/$id.png"
    if [ ! -f "$png" ]; then
        problem "the ${size}x${size} icon is missing"
        continue
    fi
    # A PNG's width and height are the two big-endian words after "IHDR".
    dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%d %d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')"
    [ "$dims" = "$size $size" ] || problem "the ${size}x${size} icon is $dims"
done

manual="$prefix/share/doc/kelvora/Kelvora User Manual.pdf"
if [ -f "$manual" ]; then
    [ "$(head -c 5 "$manual")" = "%PDF-" ] || problem "the manual is not a PDF"
else
    problem "share/doc/kelvora/Kelvora User Manual.pdf is missing"
fi

# Debian's licence file, machine-readable, and the change log, whose newest
# entry must be the version the program says it is.
doc="$prefix/share/doc/kelvora"
head -n 1 "$doc/copyright" 2>/dev/null | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    problem "share/doc/kelvora/copyright is missing or not in the machine-readable format"
if [ -f "$doc/changelog.gz" ]; then
    logged="$(gzip -dc "$doc/changelog.gz" | sed -n '1s/^kelvora (\([^)]*\)).*/\1/p')"
    running="$("$prefix/bin/kelvora" --version | sed -n 's/^kelvora //p')"
    [ -n "$logged" ] && [ "$logged" = "$running" ] ||
        problem "the change log's newest version '$logged' is not the program's '$running'"
else
    problem "share/doc/kelvora/changelog.gz is missing"
fi

for page in kelvora kelvora-meter-sim; do
    gzip -dc "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q '^\.TH ' ||
        problem "share/man/man1/$page.1.gz is missing or no manual page"
done

[ "$fail" = 0 ] && echo "check-install: every file in place under a temporary prefix"
exit "$fail"
