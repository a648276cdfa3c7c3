#!/usr/bin/env bash
# Builds everything and runs the program. Until the setup program exists, the program
# shown is QuorvexPlenar.exe, the stand-in application, with the Keyglyph library beside
# it: on the screen when there is a display, otherwise as a scripted tour on a virtual
# display whose screenshots land in build/tour/.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
"$top/tools/build.sh"

echo
echo "Built:"
for f in "$top"/dist/x86/* "$top"/dist/x64/*; do
    [ -f "$f" ] && printf '  %-60s %9d bytes\n' "${f#$top/}" "$(stat -c %s "$f")"
done
echo

# 32-bit programs cannot run on this kind of machine; the 64-bit build of the same
# sources runs under Wine, in a prefix of the build tree's own.
program="$top/dist/x64/QuorvexPlenar.exe"
state="$top/build/run"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting QuorvexPlenar.exe on $DISPLAY (close its window to end)."
    "$top/tools/wine-run.sh" "$state" --prefix-only
    WINEPREFIX="$state/prefix" HOME="$state/home" WINEDEBUG=-all \
        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" wine "$program"
    exit 0
fi

tour="$top/build/tour"
rm -rf "$tour"
mkdir -p "$tour"
eval "$("$top/tools/wine-run.sh" "$state" --env)"
trap '"$top/tools/wine-run.sh" "$state" --stop' EXIT
wine "$program" &
for _ in $(seq 1 50); do
    xdotool search --name '^Quorvex Plenar$' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 2
import -window root "$tour/1-shapes.png"
xdotool key Next Next Next
sleep 1
import -window root "$tour/2-further-down.png"
xdotool key End
sleep 1
import -window root "$tour/3-symbols.png"
wineserver -k
echo "No display: a tour of QuorvexPlenar.exe on a virtual display. Screenshots:"
ls "$tour"/*.png | sed "s|^$top/|  |"
