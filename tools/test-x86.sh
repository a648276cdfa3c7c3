#!/usr/bin/env bash
# The 32-bit part of the tests: boots the guest (building it first when its recipe has no
# cached build yet) and runs the i686 build's Wine tests there against dist/x86.
#   test-x86.sh [CTEST ARGS]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
guest=$("$top/tools/guest/build.sh")
"$top/tools/guest/run.sh" --guest "$guest" -- tools/guest/x86.sh test "$@"
