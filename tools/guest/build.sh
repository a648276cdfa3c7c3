#!/usr/bin/env bash
# Builds the 32-bit test guest once and prints the folder it lies in: a Debian 12 root file
# system (64-bit, with the i386 architecture and 32-bit Wine added inside it), its kernel
# and initramfs, and ready 64-bit and 32-bit Wine prefixes as templates (/opt/qp-prefixes/
# win64 and win32). The guest lives outside the checkout, in QP_GUEST_CACHE (default ~/.cache/quorvex-guest), in a folder named by a hash
# of its recipe (this script, packages and tools/make-prefix.sh): a changed recipe builds a
# new guest and removes the older ones. Needs root (debootstrap, chroot) and Debian's
# package registry, whose address is read from the host's own apt sources. Downloads that
# fail for a moment are tried again; a mirror caught mid-sync is gone on with; only a
# package of the recipe that cannot be installed fails the build, by its name.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
cache=${QP_GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvex-guest}
key=$(cat "$here/build.sh" "$here/packages" "$top/tools/make-prefix.sh" "$top/tools/apt-patience.sh" |
      sha256sum | cut -c1-16)
guest=$cache/$key
if [ -f "$guest/ready" ]; then
    echo "$guest"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=QP_GUEST_CACHE,XDG_CACHE_HOME "$0" "$@"
fi
mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9
if [ -f "$guest/ready" ]; then echo "$guest"; exit 0; fi
started=$(date +%s)
log() { echo "guest: $*" >&2; }

# The host's Debian mirror: the first URIs of its deb822 sources, or the first deb line.
mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
         grep -v security | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
[ -n "$mirror" ] || { log "no Debian mirror in the host's apt sources"; exit 1; }

# shellcheck source=../apt-patience.sh
. "$top/tools/apt-patience.sh"
root=$guest/root
# A half-built guest of an earlier try is started again; the packages it downloaded stay.
rm -rf "$root"
mkdir -p "$guest/debs"
log "debootstrap of bookworm into $root (a few minutes)"
for try in 1 2 3 4; do
    debootstrap --arch=amd64 --variant=minbase --cache-dir="$guest/debs" bookworm "$root" "$mirror" \
        >"$guest/debootstrap.log" 2>&1 && break
    if [ "$try" -eq 4 ]; then
        log "debootstrap failed four times; the end of its log:"
        tail -20 "$guest/debootstrap.log" >&2
        exit 1
    fi
    log "debootstrap failed ($(grep -E '^(E|W):' "$guest/debootstrap.log" | tail -1)); trying again in $(( try * 20 )) s"
    sleep $(( try * 20 ))
    rm -rf "$root"
done

# The guest takes its packages from where the host takes its own.
rm -f "$root/etc/apt/sources.list"
if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
    for f in /etc/apt/sources.list.d/*.sources; do
        grep -q 'debian' "$f" && cp "$f" "$root/etc/apt/sources.list.d/"
    done
else
    grep '^deb .*debian' /etc/apt/sources.list >"$root/etc/apt/sources.list"
fi
mkdir -p "$root/etc/initramfs-tools"
printf '9p\n9pnet\n9pnet_virtio\nvirtio_pci\n' >>"$root/etc/initramfs-tools/modules"

mounts=()
cleanup() {
    local m
    for ((i=${#mounts[@]}-1; i>=0; i--)); do umount -l "${mounts[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
for m in proc sys dev dev/pts; do
    mount --bind "/$m" "$root/$m"
    mounts+=("$root/$m")
done
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"; }
log "installing the guest's packages (about 470 MB of downloads)"
in_root dpkg --add-architecture i386
: >"$guest/apt.log"
apt_update_patiently "$guest/apt.log" in_root apt-get
mapfile -t recipe < <(sed 's/#.*//' "$here/packages" | tr -s ' \t' '\n' | grep .)
mapfile -t absent < <(apt_without_candidate in_root "${recipe[@]}")
if [ ${#absent[@]} -gt 0 ]; then
    log "no package index offers: ${absent[*]}; what the index update said:"
    grep -E '^(E|W):' "$guest/apt.log" | tail -10 >&2
    exit 1
fi
# The package states dpkg leaves: a recipe package that is not at least unpacked failed.
not_installed() {
    local p
    for p in "${recipe[@]}"; do
        [[ $(in_root dpkg-query -W -f='${Status}' "$p" 2>/dev/null) =~ \ (installed|unpacked|half-configured|triggers-awaited|triggers-pending)$ ]] ||
            echo "$p"
    done
}
for try in 1 2 3; do
    # The i386 triggers of glib cannot run in the chroot ("Exec format error"), so this
    # exits with an error even when every package arrived; the first boot runs them.
    in_root apt-get install -y -q --no-install-recommends "${APT_RETRIES[@]}" "${recipe[@]}" \
        >>"$guest/apt.log" 2>&1 || true
    mapfile -t failed < <(not_installed)
    [ ${#failed[@]} -gt 0 ] || break
    if [ "$try" -eq 3 ] || ! grep -qE '(Failed|Unable) to fetch' "$guest/apt.log"; then
        log "these packages of the recipe could not be installed: ${failed[*]}; why:"
        grep -E "^(E|W):|${failed[0]}" "$guest/apt.log" | tail -15 >&2
        exit 1
    fi
    log "some downloads failed; trying again in $(( try * 30 )) s"
    sleep $(( try * 30 ))
done
in_root apt-get clean
cleanup
mounts=()

install -m 755 "$top/tools/make-prefix.sh" "$root/usr/local/bin/qp-make-prefix"
ln -sf "$(basename "$(ls "$root"/boot/vmlinuz-* | head -1)")" "$root/boot/qp-kernel"
ln -sf "$(basename "$(ls "$root"/boot/initrd.img-* | head -1)")" "$root/boot/qp-initrd"

# The first boot configures what the chroot could not and makes the prefixes that every
# test copies (about two minutes each under the software CPU): a 64-bit one, in which the
# 32-bit deliverable runs under WOW64 as on 64-bit Windows, and a 32-bit one. One at a
# time: two 64-bit prefixes do not fit the guest's memory-backed /tmp.
log "first boot: the 64-bit and 32-bit Wine prefix templates"
"$here/run.sh" --guest "$guest" --no-share -- bash -c '
    set -e
    dpkg --configure -a >/dev/null 2>&1 || true
    export WINEPREFIX=/tmp/prefix WINEDEBUG=-all HOME=/tmp/home
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
    mkdir -p $HOME
    rm -rf /opt/qp-prefixes
    mkdir -p /opt/qp-prefixes
    for arch in win64 win32; do
        started=$(date +%s)
        WINEARCH=$arch qp-make-prefix /tmp/wineboot.log || { cat /tmp/wineboot.log; exit 1; }
        wineserver -k 2>/dev/null || true
        cp -a /tmp/prefix /opt/qp-prefixes/$arch
        rm -rf /tmp/prefix
        echo "guest: $arch prefix made in $(( $(date +%s) - started )) s, $(du -sh /opt/qp-prefixes/$arch | cut -f1)"
    done
    wine --version'
rm -rf "$guest/debs"
touch "$guest/ready"
for old in "$cache"/*/; do
    [ "${old%/}" = "$guest" ] || rm -rf "$old"
done
log "built in $(( $(date +%s) - started )) s, $(du -sh "$guest" | cut -f1)"
echo "$guest"
