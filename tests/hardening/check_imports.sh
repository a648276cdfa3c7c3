#!/usr/bin/env bash
# check_imports.sh DIST [ARCH]: both programs of the target (default both) import only
# kernel32 and msvcrt, which every system takes from its own folder before a program's
# first line; the other system DLLs are loaded at their first call, by undecorated
# function name (a stdcall name with its @N would not be found in the DLL, and the 32-bit
# program would stop at that call: it cannot run here, so the names are read instead).
set -u
dist=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for arch in ${2:-x86 x64}; do
    objdump=$([ "$arch" = x86 ] && echo i686-w64-mingw32-objdump || echo x86_64-w64-mingw32-objdump)
    for program in SetupQuorvexPlenar.exe QuorvexPlenar.exe; do
        file=$dist/$arch/$program
        imports=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
        [ "$imports" = "kernel32.dll msvcrt.dll " ] || fail "$arch/$program imports $imports"
        # Every program creates windows: the name must be there, and plain.
        strings "$file" | grep -qx 'CreateWindowExA' || fail "$arch/$program: no plain CreateWindowExA"
        decorated=$(strings "$file" | grep -E '^_?[A-Z][A-Za-z0-9]+@[0-9]+$' | head -3 | tr '\n' ' ')
        [ -z "$decorated" ] || fail "$arch/$program: decorated names $decorated"
    done
done
[ "$failures" -eq 0 ] && echo "imports: kernel32 and msvcrt only; the rest loaded by plain name"
exit $((failures > 0))
