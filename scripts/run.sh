#!/usr/bin/env bash
# Builds the program and runs it against the simulated device under Wine, on the current display
# (or on a private Xvfb display when there is none). Extra arguments go to the program ("/d", "/h", ...).
# usage: run.sh [--screenshot FILE.png] [program arguments]
#   --screenshot FILE.png  saves a PNG picture of the main window once it is shown, then ends the program:
#                          what to look at on a machine without a display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
screenshot=""
if [ "${1:-}" = "--screenshot" ]; then
    if [ $# -lt 2 ]; then
        echo "usage: $0 [--screenshot FILE.png] [program arguments]" >&2
        exit 2
    fi
    screenshot=$(realpath -m "$2")
    shift 2
fi
"$root/scripts/deps.sh"
"$root/scripts/build.sh" win
build="$root/build/win"
own_display=${DISPLAY:-}
"$root/scripts/wine-session.sh" start "$build"
trap '"$root/scripts/wine-session.sh" stop "$build" >/dev/null' EXIT

if [ -n "$screenshot" ]; then
    mkdir -p "$(dirname "$screenshot")"
    # Wine sees the Unix root as drive Z:.
    OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$build/tests/overcoat_picture.exe" \
        "$build/Overcoat/Overcoat.exe" "Z:${screenshot//\//\\}"
    exit
fi
if [ -z "$own_display" ]; then
    display=$(cat "$build/wine/display")
    cat <<MSG
No display here: the program runs on the private virtual display $display until you end this command (Ctrl+C).
To look at it, either serve that display to a viewer (for example 'x11vnc -display $display', then connect a
VNC viewer), or end this command and save a picture of the main window instead:
    scripts/run.sh --screenshot overcoat.png
MSG
fi
OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$build/Overcoat/Overcoat.exe" "$@"
