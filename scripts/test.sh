#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the Windows tree and the native sanitizer tree,
# runs the native tests and bounded fuzz runs, then the Windows tests under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
started=$(date +%s)
jobs=$(nproc)

"$root/scripts/deps.sh"
"$root/scripts/build.sh" native -DOC_WERROR=ON
"$root/scripts/build.sh" win -DOC_WERROR=ON

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
echo "== native tests (AddressSanitizer, UBSan) and fuzz runs"
(cd "$root/build/native" && ctest --output-on-failure -j "$jobs") | tee -a "$log" || status=1
echo "== Windows tests under Wine"
(cd "$root/build/win" && ctest --output-on-failure -j "$jobs") | tee -a "$log" || status=1

# One closing line over both runs.
total=$(grep -Eo 'tests failed out of [0-9]+' "$log" | awk '{s += $5} END {print s + 0}')
failed=$(grep -Eo '[0-9]+ tests failed out of' "$log" | awk '{s += $1} END {print s + 0}')
echo "test run took $(( $(date +%s) - started )) s"
echo "$((total - failed)) passed, $failed failed"
exit $status
