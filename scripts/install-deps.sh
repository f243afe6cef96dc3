#!/usr/bin/env bash
# Installs the Debian packages Kelvora needs, only those that are missing, and
# generates the comma-decimal locale the tests run under once. With all of it
# in place it does nothing: no root, no network.
#   install-deps.sh            install what is missing
#   install-deps.sh --missing  only list what is missing (one name a line)
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-charts-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth locales
  faketime
  desktop-file-utils poppler-utils dpkg-dev
  libmosquitto-dev mosquitto mosquitto-clients
  dbus-daemon
)
# A locale that writes 0,5 for a half: the tests prove that files read the same under it.
COMMA_LOCALE=de_DE.UTF-8

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
has_comma_locale() { locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }

if [ "${1:-}" = "--missing" ]; then
  [ ${#missing[@]} -gt 0 ] && printf '%s\n' "${missing[@]}"
  has_comma_locale || echo "locale:$COMMA_LOCALE"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! has_comma_locale; then
  echo "Generating the $COMMA_LOCALE locale for the tests"
  $SUDO localedef -i de_DE -f UTF-8 "$COMMA_LOCALE" ||
    echo "Could not generate $COMMA_LOCALE; the comma-locale tests will be skipped" >&2
fi
