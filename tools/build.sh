#!/usr/bin/env bash
# Builds both targets, or the ones named: build/x86 (the 32-bit deliverables, whose Wine
# tests run in the 32-bit guest) and build/x64 (the same sources, 64-bit, whose test
# programs run under the host's Wine). The binaries land in dist/x86 and dist/x64.
#   build.sh [x86] [x64]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

build() {
    local arch=$1 toolchain=$2 tests=$3
    cmake -S "$top" -B "$top/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" \
          -DQP_BUILD_TESTS="$tests" >/dev/null
    cmake --build "$top/build/$arch" -j "$jobs"
}

for arch in ${*:-x86 x64}; do
    case $arch in
        x86) build x86 toolchain-mingw-i686.cmake ON ;;
        x64) build x64 toolchain-mingw-x86_64.cmake ON ;;
        *) echo "build.sh: no target $arch" >&2; exit 2 ;;
    esac
done
