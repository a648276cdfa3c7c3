#!/usr/bin/env bash
# Builds everything and runs every test (unit and GUI tests under Wine on a virtual
# display, structural checks of the 32-bit deliverables).
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
"$top/tools/build.sh"
ctest --test-dir "$top/build/x64" --output-on-failure -j "$(nproc)" "$@"
