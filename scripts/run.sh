#!/usr/bin/env bash
# Builds the program and runs it against the simulated device under Wine, on the current display
# (or on a private Xvfb display when there is none). Extra arguments go to the program ("/d", "/h", ...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" win
build="$root/build/win"
"$root/scripts/wine-session.sh" start "$build"
trap '"$root/scripts/wine-session.sh" stop "$build" >/dev/null' EXIT
exe="$build/Overcoat/Overcoat.exe"
if [ ! -f "$exe" ]; then
    echo "Overcoat.exe is not built yet; the program folder is at $build/Overcoat"
    exit 0
fi
OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$exe" "$@"
