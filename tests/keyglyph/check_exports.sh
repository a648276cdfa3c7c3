#!/usr/bin/env bash
# check_exports.sh DIST [ARCH]: the export tables of Keyglyph.dll in dist/ARCH (default
# both), read with objdump: one undecorated export load_bitmap, ordinal 1, in a table named
# KEYGLYPH.DLL; imports from Windows system DLLs only; the 32-bit DLL within its size.
set -u
dist=$1
max_x86_size=2141588
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for arch in ${2:-x86 x64}; do
    dll=$dist/$arch/Keyglyph.dll
    case $arch in
        x86) objdump=i686-w64-mingw32-objdump format=pei-i386 ;;
        x64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
    esac
    if [ ! -f "$dll" ]; then
        fail "$dll is missing (build the $arch deliverables first)"
        continue
    fi
    info=$("$objdump" -p "$dll")
    grep -q "file format $format" <<<"$info" || fail "$arch: not $format"
    grep -Eq '^Name[[:space:]]+[0-9a-f]+ KEYGLYPH\.DLL$' <<<"$info" ||
        fail "$arch: the export table is not named KEYGLYPH.DLL"
    grep -Eq '^Ordinal Base[[:space:]]+1$' <<<"$info" || fail "$arch: ordinal base is not 1"
    grep -Eq 'Export Address Table[[:space:]]+00000001$' <<<"$info" ||
        fail "$arch: not exactly one exported address"
    names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$info" | grep -E '^\s+\[')
    [ "$(echo "$names" | sed -E 's/^\s+//')" = "[   0] load_bitmap" ] ||
        fail "$arch: exported names are not exactly load_bitmap at ordinal 1: $names"
    imports=$(grep -E '^\s+DLL Name:' <<<"$info" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
    for dll_name in $imports; do
        case $dll_name in
            kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll) ;;
            *) fail "$arch: imports $dll_name" ;;
        esac
    done
    echo "$arch: $(stat -c %s "$dll") bytes, imports: $imports"
done

if [ -f "$dist/x86/Keyglyph.dll" ]; then
    size=$(stat -c %s "$dist/x86/Keyglyph.dll")
    [ "$size" -le "$max_x86_size" ] || fail "x86: $size bytes, more than $max_x86_size"
fi

[ "$failures" -eq 0 ] && echo "exports: all checks passed"
[ "$failures" -eq 0 ]
