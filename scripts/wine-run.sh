#!/usr/bin/env bash
# ctest's emulator for the Windows build: runs one program in the build tree's Wine session.
# Outside ctest, OC_BUILD_DIR may be left unset: the build tree is found above the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${OC_BUILD_DIR:-}
if [ -z "$build" ]; then
    build=$(dirname "$(readlink -f "$1")")
    while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
fi
. "$here/wine-env.sh" "$build"
if [ ! -f "$WINEPREFIX/.oc-ready" ] || [ -z "${DISPLAY:-}" ]; then
    echo "no Wine session for $build: run '$here/wine-session.sh start $build' first (ctest does)" >&2
    exit 1
fi
# Wine's helper processes (explorer, services) outlive the program and inherit its output: ctest
# would wait on them, so the output goes through a file that is copied out when the program ends.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
"$OC_WINE" "$@" </dev/null >"$out" 2>&1 || status=$?
cat "$out"
exit $status
