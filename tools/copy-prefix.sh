#!/usr/bin/env bash
# Copies a Wine prefix in a fraction of a second: the folders of Wine's own programs,
# libraries and data, never written while programs run, are hard links; the rest (the
# registry, the users' folders, the files Windows keeps in C:\windows) is copied.
#   copy-prefix.sh SOURCE TARGET     (TARGET must not exist)
set -eu
source=$1 target=$2
linked=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs
        drive_c/windows/resources drive_c/windows/globalization drive_c/windows/Fonts
        "drive_c/Program Files" "drive_c/Program Files (x86)")
excluded=()
for folder in "${linked[@]}"; do excluded+=("--exclude=./$folder"); done
mkdir -p "$target"
tar -C "$source" "${excluded[@]}" -cf - . | tar -C "$target" -xf -
for folder in "${linked[@]}"; do
    if [ -d "$source/$folder" ]; then cp -al "$source/$folder" "$target/$folder"; fi
done
