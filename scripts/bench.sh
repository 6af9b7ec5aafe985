#!/usr/bin/env bash
# Measures the program against its floor and prints each figure next to it as a ratio: start-up, memory
# and idle CPU of the real program against a bare layered window (bench/bench.py); the main window's
# repaint, slider, page switch, rotation, profile strip and preset list costs in one process
# (oc_bench_ui); the XML reader against pugixml and tinyxml2 (bench/xml, built natively). Not part of the
# tests. OC_BENCH_RUNS (9), OC_BENCH_IDLE_SECONDS (30) and OC_BENCH_ROTATION_SECONDS (30) size the runs.
# The figures mean something only on a quiet machine: the first line names the machine and its load.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
# The peers of the XML benchmark come from the distribution, for the benchmark only.
missing=()
for p in libpugixml-dev libtinyxml2-dev; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

OC_TARGETS="oc_program oc_bench_bare oc_bench_ui" "$root/scripts/build.sh" win
build="$root/build/${OC_BUILD_PREFIX:-}win"
xml="$root/build/${OC_BUILD_PREFIX:-}bench-xml"
cmake -S "$root/bench/xml" -B "$xml" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$xml" >/dev/null

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//');" \
    "load average at the start $(cut -d' ' -f1-3 /proc/loadavg)"
own_session=0
if ! "$root/scripts/wine-session.sh" status "$build"; then
    "$root/scripts/wine-session.sh" start "$build" >/dev/null
    own_session=1
fi
. "$root/scripts/wine-env.sh" "$build"
# Every case starts from the data folder of a fresh install (a turning mode stored by an earlier run would
# turn the speakers at every start), and writes settings, profiles, presets and the turning mode into it:
# the folder is put back as it was afterwards.
data="$WINEPREFIX/drive_c/ProgramData/Korva Software"
scratch=$(mktemp -d)
[ ! -d "$data" ] || mv "$data" "$scratch/data-before"
finish() {
    rm -rf "$data"
    [ ! -d "$scratch/data-before" ] || mv "$scratch/data-before" "$data"
    rm -rf "$scratch"
    [ $own_session -eq 0 ] || "$root/scripts/wine-session.sh" stop "$build" >/dev/null
}
trap finish EXIT

OC_BUILD_DIR="$build" python3 "$root/bench/bench.py"
mkdir -p "$scratch/ui"
"$OC_WINE" "$build/bench/oc_bench_ui.exe" "Z:${build//\//\\}\\Overcoat" "Z:${scratch//\//\\}\\ui" \
    "${OC_BENCH_ROTATION_SECONDS:-30}" </dev/null 2>&1 | grep -v '^[0-9a-f]*:\(err\|fixme\|warn\)' || true
find "$root/data" -name '*.lyt' -o -name '*.xaml' | sort | xargs "$xml/oc_bench_xml"
echo "load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
