#!/usr/bin/env bash
# Starts or stops the Wine session of one build tree: the private prefix (made once), one persistent
# wineserver for the whole test run, and an Xvfb display when none is given.
# usage: wine-session.sh start|stop <build dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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

case "$1" in
start)
    rm -f "$OC_WINE_DIR/display"
    start_xvfb
    init_prefix
    add_script_fonts
    "$OC_WINESERVER" -p >"$OC_WINE_DIR/wineserver.log" 2>&1 </dev/null
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
    echo "usage: $0 start|stop <build dir>" >&2
    exit 2
    ;;
esac
