#!/usr/bin/env bash
# Runs a Windows program of the x86_64 build under 64-bit Wine, in a prefix and on a
# virtual display that belong to one build tree, never the user's ~/.wine or screen.
#
#   wine-run.sh STATE_DIR --prepare      create the prefix and start Xvfb (once per build)
#   wine-run.sh STATE_DIR --stop         end the prefix's processes and the display
#   wine-run.sh STATE_DIR --env          print the environment lines for a shell (eval)
#   wine-run.sh STATE_DIR --prefix-only  create the prefix only, for a program shown on
#                                        the user's own display
#   wine-run.sh STATE_DIR PROGRAM [ARGS] run PROGRAM and return its exit code
set -u
state=$(mkdir -p "$1" && cd "$1" && pwd)
shift

export WINEPREFIX="$state/prefix"
export HOME="$state/home"          # a fresh prefix links Desktop etc. to $HOME
export WINEDEBUG=-all
export WINEARCH=win64
# No host menu entries; no Mono or Gecko installer dialogs on a machine without network.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export LC_ALL=C.UTF-8               # ANSI code page 1252 under Wine
mkdir -p "$HOME"

start_display() {
    if [ -f "$state/display" ]; then
        local pid
        pid=$(cat "$state/xvfb.pid" 2>/dev/null)
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then return 0; fi
    fi
    local n
    for n in $(seq 90 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        local pid=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            echo "$pid" >"$state/xvfb.pid"
            echo ":$n" >"$state/display"
            return 0
        fi
    done
    echo "wine-run.sh: could not start Xvfb" >&2
    return 1
}

make_prefix() {
    # Wine's own fonts (package fonts-wine; Marlett draws the caption buttons) lie in
    # /usr/share/wine/fonts, but this Wine looks for them at "<data dir>\../fonts", a
    # path its own lookup refuses, and wineboot does not copy them: without a copy in
    # C:\windows\Fonts the caption buttons show the letters "0 1 r". A prefix made
    # before that copy existed is made again.
    local fonts=/usr/share/wine/fonts
    if [ -f "$WINEPREFIX/.ready-fonts" ] &&
       { [ ! -f "$fonts/marlett.ttf" ] || [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; }; then
        return 0
    fi
    [ -f "$fonts/marlett.ttf" ] ||
        echo "wine-run.sh: $fonts/marlett.ttf missing (package fonts-wine):" \
             "caption buttons will show letters" >&2
    wineserver -k 2>/dev/null
    rm -rf "$WINEPREFIX"
    wineboot -i >"$state/wineboot.log" 2>&1
    wineserver -w
    if [ -d "$fonts" ]; then cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"; fi
    # Shell folders of a fresh prefix are links into $HOME; make them real folders so
    # that nothing a test writes to the desktop leaves the build tree.
    local user_dir
    for user_dir in "$WINEPREFIX"/drive_c/users/*/; do
        local link
        for link in "$user_dir"*; do
            if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
        done
    done
    # Every program runs inside one virtual desktop of the display's size: Wine then
    # draws real captions and close boxes, and needs no window manager (without one,
    # Wine waits two seconds for each visible top-level window it hides or destroys).
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready-fonts"
}

prepare() {
    exec 9>"$state/lock"
    flock 9
    start_display || return 1
    export DISPLAY
    DISPLAY=$(cat "$state/display")
    make_prefix
    flock -u 9
    exec 9>&-
}

case "${1:-}" in
--prepare)
    prepare
    ;;
--stop)
    wineserver -k 2>/dev/null
    if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null; fi
    rm -f "$state/xvfb.pid" "$state/display"
    exit 0
    ;;
--prefix-only)
    exec 9>"$state/lock"
    flock 9
    make_prefix
    ;;
--env)
    prepare || exit 1
    echo "export WINEPREFIX='$WINEPREFIX' HOME='$HOME' WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES='$WINEDLLOVERRIDES' LC_ALL=C.UTF-8 DISPLAY='$(cat "$state/display")'"
    ;;
"")
    echo "usage: wine-run.sh STATE_DIR (--prepare|--stop|--env|--prefix-only|PROGRAM [ARGS])" >&2
    exit 2
    ;;
*)
    prepare || exit 1
    wine "$@"
    ;;
esac
