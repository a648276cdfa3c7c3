#!/usr/bin/env bash
# Builds everything and runs every test: the 64-bit build's tests under the host's Wine
# on a virtual display (with the structural checks of both builds), then the 32-bit
# deliverables' tests in a guest with 32-bit Wine (tools/guest; built once and cached).
#   test.sh [CTEST ARGS]    QP_SKIP_X86=1 leaves out the 32-bit part
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
"$top/tools/build.sh"
status=0
started=$(date +%s)
ctest --test-dir "$top/build/x64" --output-on-failure -j "$(nproc)" "$@" || status=1
echo "64-bit part: $(( $(date +%s) - started )) s"
if [ "${QP_SKIP_X86:-0}" != 1 ]; then
    started=$(date +%s)
    "$top/tools/test-x86.sh" "$@" || status=1
    echo "32-bit part (in the guest): $(( $(date +%s) - started )) s;" \
         "its log and screenshots: build/x86/guest-output"
fi
exit $status
