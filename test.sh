#!/usr/bin/env bash
# Builds everything and runs every test. The 64-bit part: the x86_64 build's tests under
# the host's Wine on virtual displays, with the host's checks of its binaries. The 32-bit
# part: the host's checks of the i686 deliverables, then their Wine tests in a guest with
# 32-bit Wine (tools/guest; built once and cached).
#   test.sh [CTEST ARGS]    QP_SKIP_X86=1 leaves out the 32-bit part
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
x86=${QP_SKIP_X86:-0}
started=$(date +%s)
if [ "$x86" != 1 ]; then
    # A guest not built yet (about ten minutes, mostly downloads) is built while the
    # programs build.
    mkdir -p "$top/build"
    "$top/tools/guest/build.sh" >"$top/build/guest-build.log" 2>&1 &
    guest_builder=$!
fi
wait_for_guest() {
    [ -n "$guest_builder" ] || return 0
    if ! wait "$guest_builder"; then
        echo "The 32-bit guest could not be built:"
        tail -30 "$top/build/guest-build.log"
        exit 1
    fi
    guest_builder=
}
# The tests' Wine prefix and display are made while the programs build.
"$top/tools/wine-run.sh" "$top/build/x64/wine" --prepare >/dev/null 2>&1 &
prefix_maker=$!
"$top/tools/build.sh" x64
wait "$prefix_maker" || true  # if it failed, the tests' own preparation says why
# The host's tests click and type on their displays: they start on a quiet machine, so a
# guest still being built is waited for (with the 32-bit build beside it).
if [ "$x86" != 1 ] && kill -0 "$guest_builder" 2>/dev/null; then
    "$top/tools/build.sh" x86
    wait_for_guest
fi
status=0
# Most of the time the tests wait on their programs' pauses: two of them per processor.
ctest --test-dir "$top/build/x64" --output-on-failure -j "$(( 2 * $(nproc) ))" "$@" || status=1
echo "64-bit part, build included: $(( $(date +%s) - started )) s"
if [ "$x86" != 1 ]; then
    started=$(date +%s)
    "$top/tools/build.sh" x86
    wait_for_guest
    ctest --test-dir "$top/build/x86" --output-on-failure -LE wine "$@" || status=1
    "$top/tools/test-x86.sh" "$@" || status=1
    echo "32-bit part, build included: $(( $(date +%s) - started )) s (the Wine tests in the" \
         "guest; log and screenshots in build/x86/guest-output)"
fi
exit $status
