#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# fonts-wine is only recommended by Wine, and recommendations are not installed: without it
# Wine has no Marlett and draws its caption buttons as the letters "0 1 r".
# wine32 is never installed on the host: 32-bit Linux programs cannot run on this kernel, and it
# breaks the wine launcher. The 32-bit deliverables run in a guest with 32-bit Wine inside
# (tools/guest), booted under qemu's software processor; debootstrap builds its root.
set -eu

packages=(cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine wine64 xvfb xauth xdotool x11-utils icoutils
          imagemagick doctest-dev liblnk-utils fonts-liberation fonts-wine util-linux
          python3 python3-jsonschema python3-yaml qemu-system-x86 debootstrap osslsigncode openssl)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# shellcheck source=apt-patience.sh
. "$(dirname "$0")/apt-patience.sh"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt_update_patiently "$log" "${sudo[@]}" apt-get
for try in 1 2 3; do
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${APT_RETRIES[@]}" "${missing[@]}" && exit 0
    [ "$try" -eq 3 ] || { echo "Installing failed; trying again in $(( try * 30 )) s" >&2; sleep $(( try * 30 )); }
done
echo "Could not install: ${missing[*]}" >&2
exit 1
