#!/usr/bin/env bash
# Configures and builds one of the two build trees.
# usage: build.sh win|native [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1
shift
# OC_BUILD_PREFIX keeps parallel work trees apart (build/<prefix>win, build/<prefix>native).
dir="$root/build/${OC_BUILD_PREFIX:-}$kind"
# OC_TARGETS builds only the named targets instead of everything.
targets=()
[ -z "${OC_TARGETS:-}" ] || targets=(--target ${OC_TARGETS})
# ccache, when the machine has it, lets parallel work trees share one compile of the same source.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
case "$kind" in
win)
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" "${targets[@]}"
    ;;
native)
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOC_NATIVE=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" "${targets[@]}"
    ;;
*)
    echo "usage: $0 win|native" >&2
    exit 2
    ;;
esac
