#!/usr/bin/env bash
# Makes a delay-load import library of a system DLL from the toolchain's own import
# library: a program linked with it loads the DLL at its first call into it, through
# LoadLibraryA, rather than before its first line runs.
#   delay-import-lib.sh CC NM DLLTOOL ARCH DLL OUT      (ARCH x86 or x64; DLL without .dll)
set -eu
cc=$1 nm=$2 dlltool=$3 arch=$4 dll=$5 out=$6
lib=$("$cc" -print-file-name="lib$dll.a")
if [ ! -f "$lib" ]; then
    echo "delay-import-lib: the toolchain has no lib$dll.a" >&2
    exit 1
fi
def="$out.def"
{
    echo "LIBRARY $dll.dll"
    echo "EXPORTS"
    # Functions only: each has a thunk (T); data exports cannot be delay-loaded. On i686
    # the C name carries a leading underscore; the @N of stdcall names stays in the
    # symbol and -k takes it off the name looked up in the DLL.
    "$nm" "$lib" | awk '$2 == "T" { print $3 }' |
        if [ "$arch" = x86 ]; then sed 's/^_//'; else cat; fi | sort -u
} >"$def"
kill_at=()
[ "$arch" = x86 ] && kill_at=(-k)
# dlltool names the library's members after the output path unless given a prefix, and
# the linker orders import sections by member name: the build folder's path would then
# reorder the programs' import tables. A fixed prefix, in a folder of its own so that
# two builds at once never share its temporary files, keeps the programs the same bytes
# wherever they are built. The output's own name goes into the library's symbols (its
# import descriptor), so it must differ from DLL to DLL.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$dlltool" --input-def "$def" --output-delaylib "lib$dll.a" --dllname "$dll.dll" \
                          --temp-prefix "$dll" "${kill_at[@]}")
mv "$work/lib$dll.a" "$out"
