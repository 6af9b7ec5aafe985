#!/usr/bin/env bash
# Fuzzes every libFuzzer target of the native build for a given time each, for runs far longer than CI's.
# Each target runs through fuzz-run.sh: new coverage stays in a scratch folder, and every crash, leak,
# timeout or out-of-memory input is kept in the target's corpus (fuzz/corpus/<target>/regression-*) so the
# short CI runs replay it from then on.
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
dict="$root/fuzz/dict/markup.dict"
logs=$(mktemp -d)
jobs=${OC_FUZZ_JOBS:-1}
run() {
    local target=$1 args=()
    # The markup dictionary helps every target that reads XML.
    grep -q "oc_fuzzer($target .*DICT" "$root/fuzz/CMakeLists.txt" && args+=("-dict=$dict")
    "$root/scripts/fuzz-run.sh" "$bin/$target" "$root/fuzz/corpus/$target" "$seconds" "${args[@]}" \
        >"$logs/$target.log" 2>&1
    echo "$target: exit $?" >>"$logs/summary"
}
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n
    done
    echo "fuzzing $target for ${seconds}s"
    run "$target" &
done
wait
cat "$logs/summary"
echo "logs: $logs"
! grep -qv ': exit 0$' "$logs/summary"
