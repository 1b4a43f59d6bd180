# Sourced by the scripts that run Windows programs: a project-private Wine
# prefix, one persistent wineserver and an Xvfb display for windows.
# Usage: . scripts/wine-env.sh <folder for the prefix>; wine_start; ...; wine_stop
export WINEPREFIX="$(realpath -m "$1")/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

wine_start() {
    if [ -z "${DISPLAY:-}" ] || [ -n "${QELD_OWN_XVFB:-}" ]; then
        local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$(head -n1 "$fifo")"
        rm -f "$fifo"
        export QELD_OWN_XVFB=1
    fi
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        # Destroyed windows cost two seconds each without a window manager
        # unless Wine manages them itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    wineserver -p >/dev/null 2>&1
    wine wineboot >/dev/null 2>&1 || true
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        unset XVFB_PID QELD_OWN_XVFB
    fi
}
