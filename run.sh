#!/usr/bin/env bash
# Builds everything and runs the setup program: on the screen when there is a display,
# for a person to click through; otherwise a scripted tour of a first installation on a
# virtual display, whose screenshots land in build/tour/screenshots/.
#   run.sh          the 64-bit build under the host's Wine
#   run.sh --x86    the 32-bit deliverable: the same tour in the 32-bit guest (tools/guest)
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"
"$top/tools/build.sh"

if [ "${1:-}" = --x86 ]; then
    guest=$("$top/tools/guest/build.sh")
    "$top/tools/guest/run.sh" --guest "$guest" -- tools/guest/x86.sh tour
    echo
    echo "A tour of dist/x86/SetupQuorvexPlenar.exe under 32-bit Wine. Screenshots, one per page:"
    ls "$top"/build/x86/guest-output/tour/screenshots/*.png | sed "s|^$top/|  |"
    exit 0
fi

echo
echo "Built:"
for f in "$top"/dist/x86/* "$top"/dist/x64/*; do
    [ -f "$f" ] && printf '  %-60s %9d bytes\n' "${f#$top/}" "$(stat -c %s "$f")"
done
echo

# The host's Wine is 64-bit: the 64-bit build of the same sources runs here, in a prefix
# of its own. The 32-bit deliverable runs in the guest (run.sh --x86).
setup="$top/dist/x64/SetupQuorvexPlenar.exe"
state="$top/build/run"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # The prefix stays from run to run: a second run finds the installation and offers
    # Setup, Repair and Uninstall. Remove build/run to start afresh.
    "$top/tools/wine-run.sh" "$state" --prefix-only
    downloads="$state/prefix/drive_c/Downloads"
    mkdir -p "$downloads"
    cp "$setup" "$downloads/"
    echo "Starting SetupQuorvexPlenar.exe on $DISPLAY, from C:\\Downloads of the prefix $state/prefix."
    WINEPREFIX="$state/prefix" HOME="$state/home" WINEDEBUG=-all LC_ALL=C.UTF-8 \
        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" wine 'C:\Downloads\SetupQuorvexPlenar.exe'
    exit 0
fi

# No display: a first installation, worked by the end-to-end driver on a virtual display.
tour="$top/build/tour"
trap '"$top/tools/wine-run.sh" "$state" --stop' EXIT
python3 "$top/tests/e2e/drive.py" --keep --state "$state" --setup "$setup" --dist "$top/dist/x64" \
    --probe "$top/build/x64/tests/e2e/screen_probe.exe" --out "$tour" \
    "a first installation accepted with the mouse"
prefix=$(ls -d "$tour"/run/*/prefix | head -1)
echo
echo "No display: a tour of a first installation on a virtual display. Screenshots, one per page:"
ls "$tour"/screenshots/*.png | sed "s|^$top/|  |"
echo
echo "Installed in C:\\Quorvex Plenar:"
ls -l "$prefix/drive_c/Quorvex Plenar" | sed 1d | awk '{printf "  %-22s %9d bytes\n", $9, $5}'
echo "Desktop shortcuts:"
for link in "$prefix"/drive_c/users/*/Desktop/*.lnk; do
    target=$(lnkinfo "$link" | sed -n 's/^\s*Local path\s*: //p' | head -1)
    echo "  $(basename "$link") -> $target"
done
echo "Installed programs (wine uninstaller --list):"
WINEPREFIX="$prefix" HOME="$tour/home" WINEDEBUG=-all wine uninstaller --list | sed 's/^/  /'
WINEPREFIX="$prefix" wineserver -k
echo
echo "The 32-bit deliverable, dist/x86/SetupQuorvexPlenar.exe, runs in a guest with 32-bit"
echo "Wine: ./run.sh --x86 tours it the same way (the guest is built once, about 10 minutes)."
