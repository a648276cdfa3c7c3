#!/usr/bin/env bash
# Fails, and removes the program, when its payload resources 303 and 304 are not the
# library and the application given, byte for byte: a setup program must never ship
# another build's library.
#   check-payload.sh PROGRAM LIBRARY APPLICATION
set -u
program=$1 library=$2 application=$3
fail() {
    echo "check-payload: $program: $1" >&2
    rm -f "$program"
    exit 1
}
check() {
    local id=$1 expected=$2
    wrestool -x --raw --type=324 --name="$id" "$program" 2>/dev/null | cmp -s - "$expected" \
        || fail "resource $id is not $(basename "$expected") of this build ($expected)"
}
command -v wrestool >/dev/null || fail "wrestool (package icoutils) is missing"
check 303 "$library"
check 304 "$application"
