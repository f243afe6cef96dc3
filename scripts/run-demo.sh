#!/usr/bin/env bash
# Starts the app in the demo data directory.
set -euo pipefail
build="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$root/demo-data"
exec "$root/$build/bin/kelvora" --data-dir "$root/demo-data"
