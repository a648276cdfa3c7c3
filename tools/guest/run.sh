#!/usr/bin/env bash
# Boots the 32-bit test guest, runs one command in it and powers it off; the command's
# output appears here as it comes, and its exit code is this script's.
#   run.sh [--guest DIR] [--share DIR | --no-share] [--memory MiB] -- COMMAND [ARGS]
# The shared folder (the checkout by default) appears in the guest at the same path,
# and the command starts there. The guest's CPU is emulated in software (TCG): no
# hardware virtualisation is needed, and 32-bit code runs in the guest even where the
# host's kernel refuses it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# 6 GiB: the guest's /tmp holds half of it, and a copy of the 64-bit prefix template alone
# takes 1.3 GB of it.
guest="" share=$(cd "$here/../.." && pwd) memory=6144
while [ $# -gt 0 ]; do
    case $1 in
    --guest) guest=$2; shift 2 ;;
    --share) share=$(cd "$2" && pwd); shift 2 ;;
    --no-share) share=""; shift ;;
    --memory) memory=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: run.sh [options] -- COMMAND [ARGS]" >&2; exit 2; }
[ -n "$guest" ] || guest=$("$here/build.sh")
root=$guest/root
# The guest's init is not part of its recipe: each boot takes the checkout's.
cmp -s "$here/init.sh" "$root/sbin/qp-init" || install -m 755 "$here/init.sh" "$root/sbin/qp-init"

ctl=$(mktemp -d "${TMPDIR:-/tmp}/qp-guest.XXXXXX")
trap 'rm -rf "$ctl"' EXIT
printf '%s\n' "$share" >"$ctl/share"
{
    printf 'cd %q\n' "${share:-/}"
    printf '%q ' "$@"
    echo
} >"$ctl/command"

virtfs=(-virtfs "local,path=$root,mount_tag=root,security_model=passthrough"
        -virtfs "local,path=$ctl,mount_tag=ctl,security_model=passthrough")
[ -z "$share" ] || virtfs+=(-virtfs "local,path=$share,mount_tag=share,security_model=passthrough")

# Without SMAP: qemu 7.2's emulation of it makes a 32-bit iret fault, and the guest's
# kernel then kills every 32-bit process.
qemu-system-x86_64 -machine pc -accel tcg,thread=multi -cpu max,-smap -smp "$(nproc)" \
    -m "$memory" -nographic -no-reboot -nic none \
    -kernel "$root/boot/qp-kernel" -initrd "$root/boot/qp-initrd" \
    -append "root=root rootfstype=9p rootflags=trans=virtio,version=9p2000.L,msize=262144,cache=loose rw console=ttyS0 quiet loglevel=1 panic=-1 init=/sbin/qp-init" \
    "${virtfs[@]}" </dev/null | sed -u 's/\r$//; s/\x1b\[[0-9;?]*[a-zA-Z]//g; s/\x1bc//g; /^SeaBIOS (version/d; /^Booting from ROM/d'
if [ ! -f "$ctl/status" ]; then
    echo "run.sh: the guest stopped before the command ended" >&2
    exit 125
fi
exit "$(cat "$ctl/status")"
