#!/usr/bin/env bash
# Builds both targets, or the ones named: build/x86 (the 32-bit deliverables, whose Wine
# tests run in the 32-bit guest) and build/x64 (the same sources, 64-bit, whose test
# programs run under the host's Wine). The binaries land in dist/x86 and dist/x64, and
# dist/SHA256SUMS lists their sums (`cd dist && sha256sum -c SHA256SUMS`).
#   build.sh [x86] [x64]
# A release is signed: QP_SIGN names a command that signs, in place, the one file whose
# path it gets. The library and the application are signed before the setup program
# takes them into its resources, and the setup program after it is linked. The 32-bit
# build then writes the package manager's manifest of that signed file into dist/winget/;
# QP_INSTALLER_URL gives the release's download address it names (by default the
# product's web site).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

build() {
    local arch=$1 toolchain=$2 tests=$3 dir=$top/build/$1
    cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" \
          -DQP_BUILD_TESTS="$tests" -DQP_INSTALLER_URL="${QP_INSTALLER_URL:-}" >/dev/null
    # A signed build and an unsigned one never share linked deliverables: each is linked
    # (and signed or not) again when the choice changes, and a signed build every time.
    local signing=${QP_SIGN:+signed}
    if [ -n "$signing" ] || [ "$(cat "$dir/signing" 2>/dev/null)" != "$signing" ]; then
        rm -f "$dir/src/keyglyph/Keyglyph.dll" "$dir/src/app/QuorvexPlenar.exe" \
              "$dir/src/setup/SetupQuorvexPlenar.exe"
    fi
    printf '%s' "$signing" >"$dir/signing"
    cmake --build "$dir" -j "$jobs"
}

for arch in ${*:-x86 x64}; do
    case $arch in
        x86) build x86 toolchain-mingw-i686.cmake ON ;;
        x64) build x64 toolchain-mingw-x86_64.cmake ON ;;
        *) echo "build.sh: no target $arch" >&2; exit 2 ;;
    esac
done
(cd "$top/dist" && sha256sum $(ls x86/* x64/* 2>/dev/null) >SHA256SUMS)
