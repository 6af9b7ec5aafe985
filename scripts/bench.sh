#!/usr/bin/env bash
# Measures the program against its floor and prints each figure next to it as a ratio: start-up, memory
# and idle CPU of the real program against a bare layered window (bench/bench.py), the main window's
# repaint, slider and idle presents in one process (oc_bench_ui), and the XML reader against pugixml and
# tinyxml2 (bench/xml, built natively). Not part of the tests. OC_BENCH_RUNS (9) and
# OC_BENCH_IDLE_SECONDS (30) size the runs.
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

"$root/scripts/build.sh" win
build="$root/build/${OC_BUILD_PREFIX:-}win"
xml="$root/build/${OC_BUILD_PREFIX:-}bench-xml"
cmake -S "$root/bench/xml" -B "$xml" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$xml" >/dev/null

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build" >/dev/null' EXIT
. "$root/scripts/wine-env.sh" "$build"
OC_BUILD_DIR="$build" python3 "$root/bench/bench.py"
scratch=$(mktemp -d)
"$OC_WINE" "$build/bench/oc_bench_ui.exe" "Z:${build//\//\\}\\Overcoat" "Z:${scratch//\//\\}" </dev/null 2>&1 |
    grep -v '^[0-9a-f]*:\(err\|fixme\|warn\)' || true
rm -rf "$scratch"
find "$root/data" -name '*.lyt' -o -name '*.xaml' | sort | xargs "$xml/oc_bench_xml"
