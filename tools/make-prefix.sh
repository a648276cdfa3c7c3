#!/usr/bin/env bash
# Makes a Wine prefix ready for the tests, with WINEPREFIX, WINEARCH and HOME set by the
# caller: the prefix of the host's 64-bit test bed and the template of the 32-bit guest's.
#   make-prefix.sh LOG
set -u
log=${1:-/dev/null}
# Wine's own fonts (package fonts-wine; Marlett draws the caption buttons) lie in
# /usr/share/wine/fonts, but this Wine looks for them at "<data dir>\../fonts", a path its
# own lookup refuses, and wineboot does not copy them: without a copy in C:\windows\Fonts
# the caption buttons show the letters "0 1 r".
fonts=/usr/share/wine/fonts
[ -f "$fonts/marlett.ttf" ] ||
    echo "make-prefix.sh: $fonts/marlett.ttf missing (package fonts-wine):" \
         "caption buttons will show letters" >&2
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
wineboot -i >"$log" 2>&1
wineserver -w
if [ -d "$fonts" ]; then cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"; fi
# Shell folders of a fresh prefix are links into $HOME; make them real folders so that
# nothing a test writes to the desktop leaves the test's own folders.
for user_dir in "$WINEPREFIX"/drive_c/users/*/; do
    for link in "$user_dir"*; do
        if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
    done
done
# Every program runs inside one virtual desktop of the display's size: Wine then draws
# real captions and close boxes, and needs no window manager (without one, Wine waits two
# seconds for each visible top-level window it hides or destroys). A program that crashes
# prints its backtrace instead of waiting on Wine's crash dialog.
settings="$WINEPREFIX/drive_c/qp-settings.reg"
cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
wine regedit /S 'C:\qp-settings.reg' >>"$log" 2>&1
wineserver -w
rm -f "$settings"
grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" || {
    echo "make-prefix.sh: the prefix's settings were not recorded" >&2
    exit 1
}
