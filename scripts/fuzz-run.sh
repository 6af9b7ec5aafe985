#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time over its seed corpus and the shipped files of its kind, with
# its format's dictionary and a length limit that covers the largest seed (fuzz/targets.tsv names both).
# New coverage goes to a scratch folder so the committed corpus only changes by hand; a crash input is
# copied into the corpus as a regression file and fails the run.
# usage: fuzz-run.sh <fuzzer> <corpus dir> <seconds> [libFuzzer flags]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fuzzer=$1 corpus=$2 seconds=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$corpus" "$work/new" "$work/shipped"
target=$(basename "$fuzzer")
args=()
# The target's row: its dictionary, then the patterns of the shipped files that seed it.
row=$(awk -F'\t' -v t="$target" '$1 == t { print $2 "\t" $3 }' "$root/fuzz/targets.tsv")
if [ -n "$row" ]; then
    dict=${row%%$'\t'*}
    patterns=${row#*$'\t'}
    [ "$dict" = "-" ] || args+=("-dict=$root/fuzz/dict/$dict")
    if [ "$patterns" != "-" ]; then
        # Copied in one go under their own paths (libFuzzer reads folders recursively), so that each
        # culture's file of one name stays apart.
        read -ra globs <<<"$patterns" # split, never expanded here
        names=()
        for pattern in "${globs[@]}"; do
            names+=(${names:+-o} -name "$pattern")
        done
        (cd "$root" && find data -type f \( "${names[@]}" \) -print0 | xargs -0 -r cp --parents -t "$work/shipped")
    fi
fi
# Room for the largest seed, a power of two of at least 4 KB.
largest=$(find "$corpus" "$work/shipped" -type f -printf '%s\n' | sort -n | tail -1)
max_len=4096
while [ "$max_len" -lt "${largest:-0}" ]; do
    max_len=$((max_len * 2))
done
echo "fuzz: max_len $max_len, $(find "$work/shipped" -type f | wc -l) shipped seeds"
status=0
"$fuzzer" "$work/new" "$corpus" "$work/shipped" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$max_len" -artifact_prefix="$work/" -print_final_stats=1 "${args[@]}" "$@" || status=$?
echo "fuzz: largest new input $(find "$work/new" -type f -printf '%s\n' | sort -n | tail -1) bytes"
for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$crash" ] || continue
    cp "$crash" "$corpus/regression-$(basename "$crash")"
    echo "fuzz: kept $(basename "$crash") in $corpus as a regression input" >&2
done
exit $status
