#!/usr/bin/env bash
# Builds the program folder and runs the program against the simulated device under Wine, on the current
# display (or on a private Xvfb display when there is none). Extra arguments go to the program ("/d", "/h",
# ...). Only what the program folder holds is built (the program, the device's stand-in libraries, the
# data), not the tests: the first run on a fresh machine takes minutes, later ones seconds.
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
    typed=$2
    screenshot=$(realpath -m "$2")
    shift 2
fi
"$root/scripts/deps.sh"
build="$root/build/${OC_BUILD_PREFIX:-}win"
targets="oc_program"
# The picture is taken by a small driver program of the test tree.
[ -z "$screenshot" ] || targets="$targets overcoat_picture"
[ -f "$build/CMakeCache.txt" ] || echo "first build of the program folder in $build: this takes a few minutes"
# One line that counts the build steps in place (ninja rewrites it on a terminal).
NINJA_STATUS="building the program folder [%f/%t, %es] " OC_TARGETS="$targets" "$root/scripts/build.sh" win
own_display=${DISPLAY:-}
# A session of this build tree that is already running (the tests', another run's) is used and left
# running; one started here is stopped when the program ends.
if ! "$root/scripts/wine-session.sh" status "$build"; then
    "$root/scripts/wine-session.sh" start "$build"
    trap '"$root/scripts/wine-session.sh" stop "$build" >/dev/null' EXIT
fi

if [ -n "$screenshot" ]; then
    mkdir -p "$(dirname "$screenshot")"
    # Wine sees the Unix root as drive Z:. The tool reports that path; the user is told the one they gave.
    wine_path="Z:${screenshot//\//\\}"
    status=0
    report=$(OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$build/tests/overcoat_picture.exe" \
        "$build/Overcoat/Overcoat.exe" "$wine_path" 2>&1) || status=$?
    [ -z "$report" ] || echo "${report//"$wine_path"/"$typed"}"
    exit $status
fi
if [ -z "$own_display" ]; then
    display=$(cat "$build/wine/display" 2>/dev/null || echo "of the running session")
    cat <<MSG
No display here: the program runs on the private virtual display $display until you end this command (Ctrl+C).
To look at it, either serve that display to a viewer (for example 'x11vnc -display $display', then connect a
VNC viewer), or end this command and save a picture of the main window instead:
    scripts/run.sh --screenshot overcoat.png
MSG
fi
OC_BUILD_DIR="$build" "$root/scripts/wine-run.sh" "$build/Overcoat/Overcoat.exe" "$@"
