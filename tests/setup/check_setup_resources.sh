#!/usr/bin/env bash
# check_setup_resources.sh DIST [ARCH]: the resources of dist/ARCH (x86 and x64)
# SetupQuorvexPlenar.exe as wrestool (icoutils) reads them: the payload in language
# 2057 with the same target's library and application byte for byte, the two texts by
# size and line count, the page images by size and format, the icon group, the version.
set -u
dist=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

extract() { wrestool -x --raw "$@" 2>/dev/null; }

for arch in ${2:-x86 x64}; do
    exe=$dist/$arch/SetupQuorvexPlenar.exe
    [ -f "$exe" ] || { fail "$exe is missing"; continue; }
    listing=$(wrestool -l "$exe")

    # type name language: one row a resource the program must carry
    while read -r type name language; do
        grep -qE -- "--type='?$type'? --name=$name --language=${language:-[0-9]+} " <<<"$listing" \
            || fail "$arch: no resource type $type name $name language $language"
    done <<'ROWS'
324 303 2057
324 304 2057
324 305 2057
324 306 2057
RTIMAGE 3 
RTIMAGE 19 
RTIMAGE 20 
2 4 
2 5 
2 6 
2 10 
2 11 
14 2 
3 1 
3 2 
3 3 
3 4 
16 1 
ROWS

    cmp -s <(extract --type=324 --name=303 "$exe") "$dist/$arch/Keyglyph.dll" \
        || fail "$arch: 303 is not this target's Keyglyph.dll"
    cmp -s <(extract --type=324 --name=304 "$exe") "$dist/$arch/QuorvexPlenar.exe" \
        || fail "$arch: 304 is not this target's QuorvexPlenar.exe"

    # resource, bytes, lines separated by CR LF
    while read -r name bytes lines; do
        text=$(mktemp)
        extract --type=324 --name="$name" "$exe" >"$text"
        [ "$(wc -c <"$text")" -eq "$bytes" ] || fail "$arch: $name holds $(wc -c <"$text") bytes, not $bytes"
        feeds=$(tr -cd '\n' <"$text" | wc -c)
        pairs=$(grep -c $'\r$' "$text")
        [ $((feeds + 1)) -eq "$lines" ] && [ "$pairs" -eq "$feeds" ] \
            || fail "$arch: $name has $((feeds + 1)) lines ($pairs ending in CR LF), not $lines"
        [ "$(tr -cd '\000' <"$text" | wc -c)" -eq 0 ] || fail "$arch: $name holds a NUL"
        [ "$(tail -c 1 "$text" | od -An -tx1 | tr -d ' ')" != 0a ] || fail "$arch: $name ends with a line break"
        rm -f "$text"
    done <<'ROWS'
305 3566 83
306 1900 53
ROWS
    [[ $(extract --type=324 --name=305 "$exe" | head -c 2 | od -An -tx1 | tr -d ' ') = 0d0a ]] \
        || fail "$arch: the licence does not begin with an empty line"
    [[ $(extract --type=324 --name=306 "$exe" | tail -c 3 | od -An -tx1 | tr -d ' ') = 0d0a20 ]] \
        || fail "$arch: the read-me's last line is not a single blank"

    # The page images as image files, read by ImageMagick.
    while read -r name format expected; do
        got=$(extract --type=RTIMAGE --name="$name" "$exe" | identify -format '%m %wx%h\n' "$format:-" 2>/dev/null | paste -sd' ')
        [ "$got" = "$expected" ] || fail "$arch: RTIMAGE $name is '$got', not '$expected'"
    done <<'ROWS'
3 bmp BMP3 285x285
20 bmp BMP3 40x40
19 ico ICO 16x16 ICO 24x24 ICO 32x32 ICO 48x48
ROWS
    [ "$(extract --type=RTIMAGE --name=19 "$exe" | identify ico:- 2>/dev/null | wc -l)" -eq 4 ] \
        || fail "$arch: RTIMAGE 19 does not hold four images"
    [ "$(extract --type=RTIMAGE --name=3 "$exe" | head -c 30 | tail -c 2 | od -An -tu2 | tr -d ' ')" = 24 ] \
        || fail "$arch: RTIMAGE 3 is not a 24-bit bitmap"
    [ "$(extract --type=RTIMAGE --name=20 "$exe" | head -c 30 | tail -c 2 | od -An -tu2 | tr -d ' ')" = 32 ] \
        || fail "$arch: RTIMAGE 20 is not a 32-bit bitmap"

    # Bitmaps (no file header): width, height and bits per pixel from the info header.
    while read -r name width height bits; do
        header=$(extract --type=2 --name="$name" "$exe" | od -An -tu4 -N12 -v | tr -s ' ')
        bpp=$(extract --type=2 --name="$name" "$exe" | od -An -tu2 -j14 -N2 | tr -d ' ')
        [[ $header == " 40 $width $height" && $bpp == "$bits" ]] \
            || fail "$arch: bitmap $name is '$header' $bpp bpp, not $width x $height x $bits"
    done <<'ROWS'
4 16 16 32
5 16 16 32
10 16 16 32
6 13 13 1
11 13 13 1
ROWS

    version=$(extract --type=16 --name=1 "$exe" | tr -d '\0')
    [[ $version == *"FileVersion2.11"* || $version == *"FileVersion"*"2.11"* ]] \
        || fail "$arch: the version resource does not say 2.11"
done

[ "$failures" -eq 0 ] && echo "setup resources: both targets as expected"
exit $((failures > 0))
