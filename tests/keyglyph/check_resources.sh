#!/usr/bin/env bash
# check_resources.sh DIST [ARCH]: the bitmap resources of Keyglyph.dll in dist/ARCH (both),
# read with wrestool (icoutils): identifiers 201 to 1545, language 1033, the sizes of
# the two kinds, and the header and colour table bytes of the first and last of each.
set -u
dist=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The 48 bytes of header and colour table, as od prints them.
header() { wrestool -x --raw --type=2 --name="$2" --language=1033 "$1" | od -An -tx1 -N48 -v | tr -s ' \n' ' '; }
outline_table=" 00 00 00 00 ff ff ff 00"
expect_outline=" 28 00 00 00 a0 00 00 00 3c 00 00 00 01 00 01 00 00 00 00 00 b0 04 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"
expect_symbol=" 28 00 00 00 c0 00 00 00 c0 00 00 00 01 00 01 00 00 00 00 00 00 12 00 00 c4 0e 00 00 c4 0e 00 00 02 00 00 00 00 00 00 00"

for arch in ${2:-x86 x64}; do
    dll=$dist/$arch/Keyglyph.dll
    if [ ! -f "$dll" ]; then
        fail "$dll is missing (build the $arch deliverables first)"
        continue
    fi
    listing=$(wrestool -l --type=2 "$dll")
    [ "$(grep -c . <<<"$listing")" -eq 1345 ] || fail "$arch: $(grep -c . <<<"$listing") bitmaps, not 1345"
    [ "$(wrestool -l "$dll" | grep -c .)" -eq 1345 ] || fail "$arch: resources other than the bitmaps"
    expected=$(for id in $(seq 201 1545); do
        if [ "$id" -le 1432 ]; then size=1248; else size=4656; fi
        echo "$id 1033 $size"
    done)
    actual=$(sed -E 's/.*--name=([0-9]+) --language=([0-9]+) .*size=([0-9]+)\]/\1 \2 \3/' <<<"$listing" | sort -n)
    [ "$actual" = "$expected" ] || fail "$arch: identifiers, languages or sizes differ: $(diff <(echo "$expected") <(echo "$actual") | head -5)"

    [ "$(header "$dll" 201)" = "$expect_outline ff ff ff 00 00 00 00 00 " ] || fail "$arch: header of 201: $(header "$dll" 201)"
    zeros=$(wrestool -x --raw --type=2 --name=201 --language=1033 "$dll" | tail -c +49 | tr -d '\0' | wc -c)
    [ "$zeros" -eq 0 ] || fail "$arch: 201 has pixel bits set"
    for id in 202 1432; do
        [ "$(header "$dll" $id)" = "$expect_outline$outline_table " ] || fail "$arch: header of $id: $(header "$dll" $id)"
    done
    for id in 1433 1545; do
        [ "$(header "$dll" $id)" = "$expect_symbol$outline_table " ] || fail "$arch: header of $id: $(header "$dll" $id)"
    done
done

[ "$failures" -eq 0 ] && echo "resources: all checks passed"
[ "$failures" -eq 0 ]
