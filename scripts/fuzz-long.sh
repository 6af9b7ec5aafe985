#!/usr/bin/env bash
# Fuzzes every libFuzzer target of the native build for a given time each, for runs far longer than CI's,
# and reports for each its executions, its length limit, the largest input it found and its findings. Each
# target runs through fuzz-run.sh (its seeds, dictionary and length limit): new coverage stays in a scratch
# folder, and every crash, leak, timeout or out-of-memory input is kept in the target's corpus
# (fuzz/corpus/<target>/regression-*) so the short CI runs replay it from then on.
# usage: fuzz-long.sh <seconds per target> [target ...]     (default: every target; builds them first)
#        OC_FUZZ_JOBS=n runs n targets at once (default 1).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz-long.sh <seconds per target> [target ...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(sed -n 's/^oc_fuzzer(\([a-z_]*\).*/\1/p' "$root/fuzz/CMakeLists.txt")
fi
OC_TARGETS="${targets[*]}" "$root/scripts/build.sh" native || exit 1
bin="$root/build/${OC_BUILD_PREFIX:-}native/fuzz"
logs=$(mktemp -d)
jobs=${OC_FUZZ_JOBS:-1}
run() {
    local target=$1 status=0 before after
    before=$(ls "$root/fuzz/corpus/$target" | grep -c '^regression-')
    "$root/scripts/fuzz-run.sh" "$bin/$target" "$root/fuzz/corpus/$target" "$seconds" >"$logs/$target.log" 2>&1 ||
        status=$?
    after=$(ls "$root/fuzz/corpus/$target" | grep -c '^regression-')
    local executions limit largest
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$target.log" | tail -1)
    limit=$(sed -n 's/^fuzz: max_len \([0-9]*\).*/\1/p' "$logs/$target.log")
    largest=$(sed -n 's/^fuzz: largest new input \([0-9]*\) bytes/\1/p' "$logs/$target.log")
    printf '%-26s exit %-3s executions %-10s max_len %-8s largest new input %-8s findings %s\n' "$target" \
        "$status" "${executions:-?}" "${limit:-?}" "${largest:-0}" "$((after - before))" >>"$logs/summary"
}
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n
    done
    echo "fuzzing $target for ${seconds}s"
    run "$target" &
done
wait
sort "$logs/summary"
echo "logs: $logs"
! grep -qv ' exit 0 ' "$logs/summary"
