#!/usr/bin/env bash
# check-delay-map.sh MAP DELAY_LIB_DIR PROGRAM: removes PROGRAM and fails when the linker map shows code of a
# delay-load import library among the discarded input sections. The thunk of a
# delay-loaded function is the first value of its import slot; without it the slot holds 0
# and the program's first call of that function jumps to address 0.
set -u
map=$1 dir=$2 program=$3
dropped=$(sed -n '/^Discarded input sections/,/^Memory Configuration/p' "$map" |
          grep -F "$dir/" | awk '$1 ~ /^\.text/ && $3 != "0x0"' | head -5)
if [ -n "$dropped" ]; then
    echo "check-delay-map: the link dropped delay-load thunks ($map):" >&2
    echo "$dropped" >&2
    rm -f "$program"
    exit 1
fi
