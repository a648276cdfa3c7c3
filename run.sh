#!/usr/bin/env bash
# Builds everything and shows what was built.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
"$top/tools/build.sh"
echo
echo "Built:"
for f in "$top"/dist/x86/* "$top"/dist/x64/*; do
    [ -f "$f" ] && printf '  %-60s %9d bytes\n' "${f#$top/}" "$(stat -c %s "$f")"
done
