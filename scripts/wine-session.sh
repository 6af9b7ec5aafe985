#!/usr/bin/env bash
# Starts or stops the Wine session of one build tree: the private prefix (made once), one persistent
# wineserver for the whole test run, and an Xvfb display when none is given.
# usage: wine-session.sh start|stop|status <build dir>
#   start   starts the session; when it is already up it is left as it is (and the call succeeds)
#   status  succeeds when the session is up: its wineserver runs and its display is there
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The caller's own display, before wine-env.sh fills in the one a session of this tree recorded.
given_display=${DISPLAY:-}
. "$here/wine-env.sh" "$2"
mkdir -p "$OC_WINE_DIR"

start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$OC_WINE_DIR/xvfb.log" 2>&1 &
        echo $! >"$OC_WINE_DIR/xvfb.pid"
        sleep 1
        if kill -0 "$(cat "$OC_WINE_DIR/xvfb.pid")" 2>/dev/null; then
            echo ":$n" >"$OC_WINE_DIR/display"
            export DISPLAY=":$n"
            return 0
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

# The faces a Windows system has for Chinese, Japanese, Korean and Thai texts, stood in for by free fonts:
# Wine's own fonts carry none of those scripts. Copied on every start, so an older prefix gets them too.
add_script_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
    for font in /usr/share/fonts/truetype/wqy/wqy-microhei.ttc /usr/share/fonts/truetype/tlwg/Loma*.ttf; do
        [ -f "$font" ] && cp -n "$font" "$fonts/"
    done
    return 0
}

init_prefix() {
    [ -f "$WINEPREFIX/.oc-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    "$OC_WINE" wineboot -i </dev/null >"$OC_WINE_DIR/wineboot.log" 2>&1 || true
    "$OC_WINESERVER" -w
    # GDI+ finds no Tahoma unless the font sits in the prefix's own Fonts folder.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/tahoma*.ttf "$fonts/"
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix" >&2; return 1; }
    # Xvfb runs no window manager: unmanaged windows spare Wine its 2 s wait on every hide.
    "$OC_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$OC_WINESERVER" -w
    touch "$WINEPREFIX/.oc-ready"
}

# The session is up when the prefix's wineserver runs and the display it was started with still does.
session_up() {
    [ -f "$WINEPREFIX/.oc-ready" ] || return 1
    "$OC_WINESERVER" -k0 2>/dev/null || return 1 # -k0 signals nothing: it only asks whether a server runs
    if [ -f "$OC_WINE_DIR/xvfb.pid" ]; then
        kill -0 "$(cat "$OC_WINE_DIR/xvfb.pid")" 2>/dev/null
    else
        [ -n "${DISPLAY:-}" ]
    fi
}

case "$1" in
status)
    session_up
    ;;
start)
    if session_up; then
        echo "wine session already running: prefix $WINEPREFIX, display ${DISPLAY}"
        exit 0
    fi
    # A display recorded by a session that is gone is not used again.
    rm -f "$OC_WINE_DIR/display"
    if [ -n "$given_display" ]; then export DISPLAY=$given_display; else unset DISPLAY; fi
    start_xvfb
    init_prefix
    add_script_fonts
    # Exit status 2: a server of this prefix runs already (one left by an earlier session whose display
    # has gone); it serves this session as well.
    "$OC_WINESERVER" -p >"$OC_WINE_DIR/wineserver.log" 2>&1 </dev/null || [ $? -eq 2 ]
    echo "wine session ready: prefix $WINEPREFIX, display ${DISPLAY}"
    ;;
stop)
    "$OC_WINESERVER" -k 2>/dev/null || true
    if [ -f "$OC_WINE_DIR/xvfb.pid" ]; then
        kill "$(cat "$OC_WINE_DIR/xvfb.pid")" 2>/dev/null || true
        rm -f "$OC_WINE_DIR/xvfb.pid"
    fi
    rm -f "$OC_WINE_DIR/display"
    echo "wine session stopped"
    ;;
*)
    echo "usage: $0 start|stop|status <build dir>" >&2
    exit 2
    ;;
esac
