#!/usr/bin/env bash
# Structural check of the built deliverables: the machine type of each binary, and
# that it imports Windows system DLLs only (everything else is linked statically).
#   check-pe.sh DIST_DIR MACHINE OBJDUMP FILE...
set -u
dist=$1 machine=$2 objdump=$3
shift 3
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
    echo "$file: $machine, imports $("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
done
exit $status
