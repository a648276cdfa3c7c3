#!/usr/bin/env bash
# Builds everything and runs every test: the 64-bit build's tests under the host's Wine
# on a virtual display (with the structural checks of both builds), then the 32-bit
# deliverables' tests in a guest with 32-bit Wine (tools/guest; built once and cached).
#   test.sh [CTEST ARGS]    QP_SKIP_X86=1 leaves out the 32-bit part
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
x86=${QP_SKIP_X86:-0}
if [ "$x86" != 1 ]; then
    # A guest not built yet is built while the programs build (mostly downloads): about
    # ten minutes.
    mkdir -p "$top/build"
    "$top/tools/guest/build.sh" >"$top/build/guest-build.log" 2>&1 &
    guest_builder=$!
fi
"$top/tools/build.sh"
# The host's tests click and type on their displays: they start on a quiet machine.
if [ "$x86" != 1 ] && ! wait "$guest_builder"; then
    echo "The 32-bit guest could not be built:"
    tail -30 "$top/build/guest-build.log"
    exit 1
fi
status=0
started=$(date +%s)
ctest --test-dir "$top/build/x64" --output-on-failure -j "$(nproc)" "$@" || status=1
echo "64-bit part: $(( $(date +%s) - started )) s"
if [ "$x86" != 1 ]; then
    started=$(date +%s)
    "$top/tools/test-x86.sh" "$@" || status=1
    echo "32-bit part (in the guest): $(( $(date +%s) - started )) s;" \
         "its log and screenshots: build/x86/guest-output"
fi
exit $status
