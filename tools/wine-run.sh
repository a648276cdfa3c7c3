#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in a prefix and on a
# virtual display that belong to one build tree, never the user's ~/.wine or screen.
#
#   wine-run.sh STATE_DIR --prepare      create the prefix and start Xvfb (once per build)
#   wine-run.sh STATE_DIR --stop         end the prefix's processes and the display
#   wine-run.sh STATE_DIR --env          print the environment lines for a shell (eval);
#                                        QP_PREFIX_TEMPLATE is a ready prefix to copy
#   wine-run.sh STATE_DIR --prefix-only  create the prefix only, for a program shown on
#                                        the user's own display
#   wine-run.sh STATE_DIR PROGRAM [ARGS] run PROGRAM and return its exit code
# In the 32-bit guest (tools/guest), QP_WINE_TEMPLATES names a folder of ready prefixes,
# one per QP_WINEARCH (win64, where the i686 build runs under WOW64, and win32), and the
# same tests run the i686 build.
set -u
state=$(mkdir -p "$1" && cd "$1" && pwd)
shift

export WINEPREFIX="$state/prefix"
template="$state/template"
export HOME="$state/home"          # a fresh prefix links Desktop etc. to $HOME
export WINEDEBUG=-all
# The host's Wine is 64-bit only; the 32-bit guest has both.
export WINEARCH=${QP_WINEARCH:-win64}
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
    # The template is made once and never runs a program afterwards: tests that need a
    # prefix of their own copy it while the harness's prefix is in use. A template made
    # before Wine's own fonts were copied into it is made again.
    if [ -f "$template/.ready-fonts" ] && [ -f "$WINEPREFIX/.ready-fonts" ] &&
       { [ ! -f /usr/share/wine/fonts/marlett.ttf ] ||
         [ -f "$template/drive_c/windows/Fonts/marlett.ttf" ]; }; then
        return 0
    fi
    wineserver -k 2>/dev/null
    rm -rf "$WINEPREFIX" "$template"
    if [ -n "${QP_WINE_TEMPLATES:-}" ]; then
        # The 32-bit guest carries ready prefixes: a copy takes seconds where wineboot
        # takes minutes under the emulated processor.
        cp -a "$QP_WINE_TEMPLATES/$WINEARCH" "$template"
    else
        WINEPREFIX="$template" "$(dirname "$0")/make-prefix.sh" "$state/wineboot.log" || return 1
    fi
    touch "$template/.ready-fonts"
    "$(dirname "$0")/copy-prefix.sh" "$template" "$WINEPREFIX"
}

prepare() {
    exec 9>"$state/lock"
    flock 9
    start_display || return 1
    export DISPLAY
    DISPLAY=$(cat "$state/display")
    make_prefix || return 1
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
    echo "export WINEPREFIX='$WINEPREFIX' HOME='$HOME' WINEDEBUG=-all WINEARCH='$WINEARCH' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' LC_ALL=C.UTF-8 DISPLAY='$(cat "$state/display")' QP_PREFIX_TEMPLATE='$template'"
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
