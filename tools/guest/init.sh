#!/bin/sh
# The guest's first and only process: mounts what a command needs, runs the command that
# the host left in the control share, records its exit code there and powers off.
# (run.sh puts this file into the guest's root as /sbin/qp-init before each boot.)
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# The initramfs has moved /sys and /dev over already.
mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mkdir -p /mnt/ctl
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 ctl /mnt/ctl
share=$(cat /mnt/ctl/share 2>/dev/null)
if [ -n "$share" ]; then
    mkdir -p "$share"
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose share "$share"
fi
hostname qp-guest
ip link set lo up 2>/dev/null
export HOME=/root LC_ALL=C.UTF-8 TERM=dumb
cd "${share:-/}"
# Output on the console, which the host shows as it comes.
bash /mnt/ctl/command >/dev/console 2>&1 </dev/null
echo $? >/mnt/ctl/status
sync
umount "$share" /mnt/ctl 2>/dev/null
# No init system in the guest: the kernel powers the machine off itself.
echo 1 >/proc/sys/kernel/sysrq
echo o >/proc/sysrq-trigger
# Until the power goes, a few milliseconds: no program can be loaded any more (a sleep
# failed with an I/O error), and an init that exits makes the kernel panic on the console.
while :; do :; done
