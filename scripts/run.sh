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
OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$build/Overcoat/Overcoat.exe" "$@"
