#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time over its seed corpus. New coverage goes to a scratch
# folder so the committed corpus only changes by hand; a crash input is copied into the corpus as a
# regression file and fails the run.
# usage: fuzz-run.sh <fuzzer> <corpus dir> <seconds> [libFuzzer flags]
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus"
status=0
"$fuzzer" "$work" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" -print_final_stats=1 "$@" || status=$?
for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$crash" ] || continue
    cp "$crash" "$corpus/regression-$(basename "$crash")"
    echo "fuzz: kept $(basename "$crash") in $corpus as a regression input" >&2
done
exit $status
