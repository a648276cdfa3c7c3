#!/usr/bin/env bash
# Structural check of the built deliverables: the machine type of each binary, that it
# imports Windows system DLLs only (everything else is linked statically), and that it
# carries no time stamp and no path of the checkout or build folder, so that two builds
# of the same sources give the same bytes.
#   check-pe.sh DIST_DIR MACHINE OBJDUMP SOURCE_DIR BUILD_DIR FILE...
set -u
dist=$1 machine=$2 objdump=$3 source_dir=$4 build_dir=$5
shift 5
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi|version|uxtheme|msimg32)\.dll$'
status=0
for name in "$@"; do
    file="$dist/$name"
    if [ ! -f "$file" ]; then
        echo "missing: $file"; status=1; continue
    fi
    header=$("$objdump" -f "$file")
    if ! grep -q "file format $machine" <<<"$header"; then
        echo "$file: not $machine:"; echo "$header"; status=1
    fi
    while read -r dll; do
        if ! grep -qiE "$allowed" <<<"$dll"; then
            echo "$file imports $dll, which is not a Windows system DLL"; status=1
        fi
    done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
    # The file header's and the export directory's stamps, every resource directory's,
    # and a debug directory (which would hold one more).
    stamps=$("$objdump" -p "$file" | grep -E '^Time/Date|Time: [0-9a-f]{8}|^Entry 6 ' |
             grep -vE '^Time/Date(		Thu Jan  1 00:00:00 1970| stamp 		0)$|Time: 00000000|^Entry 6 0+ 0+ ' | sort -u)
    if [ -n "$stamps" ]; then
        echo "$file carries a time stamp:"; echo "$stamps"; status=1
    fi
    for dir in "$source_dir" "$build_dir"; do
        if python3 -c 'import sys; data = open(sys.argv[1], "rb").read(); d = sys.argv[2]
sys.exit(0 if d.encode() in data or d.encode("utf-16-le") in data else 1)' "$file" "$dir"; then
            echo "$file holds the path $dir"; status=1
        fi
    done
    echo "$file: $machine, imports $("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
done
exit $status
