#!/usr/bin/env bash
# Configures and builds one of the two build trees.
# usage: build.sh win|native [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1
shift
case "$kind" in
win)
    cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" "$@" >/dev/null
    cmake --build "$root/build/win"
    ;;
native)
    cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOC_NATIVE=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" >/dev/null
    cmake --build "$root/build/native"
    ;;
*)
    echo "usage: $0 win|native" >&2
    exit 2
    ;;
esac
