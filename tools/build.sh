#!/usr/bin/env bash
# Builds both targets: build/x86 (the 32-bit deliverables) and build/x64 (the same
# sources, 64-bit, whose test programs CTest runs under Wine). The binaries land in
# dist/x86 and dist/x64.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

build() {
    local arch=$1 toolchain=$2 tests=$3
    cmake -S "$top" -B "$top/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" \
          -DQP_BUILD_TESTS="$tests" >/dev/null
    cmake --build "$top/build/$arch" -j "$jobs"
}

# The 32-bit test programs are built and never run (32-bit code cannot run on this
# kind of machine): linking them shows that every routine links on i686 too.
build x86 toolchain-mingw-i686.cmake ON
build x64 toolchain-mingw-x86_64.cmake ON
