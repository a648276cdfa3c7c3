#!/usr/bin/env bash
# Copies a Wine prefix in a fraction of a second: the builtin DLLs of system32, most of a
# prefix and never written while programs run, are hard links; the rest is copied.
#   copy-prefix.sh SOURCE TARGET     (TARGET must not exist)
set -eu
source=$1 target=$2
mkdir -p "$target"
tar -C "$source" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$target" -xf -
cp -al "$source/drive_c/windows/system32" "$target/drive_c/windows/system32"
