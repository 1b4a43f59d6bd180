# Sourced by the scripts that run Windows programs: a project-private Wine
# prefix, one persistent wineserver and an Xvfb display for windows.
# Usage: . scripts/wine-env.sh <folder for the prefix>; wine_start; ...; wine_stop
QELD_WINE_BUILD="$(realpath -m "$1")"
export WINEPREFIX="$QELD_WINE_BUILD/wineprefix"
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
    hold_desktop
}

# Wine starts the desktop's process from the first program that needs a
# window, and that process keeps the program's standard error open: when a
# test started it, ctest would wait for that pipe until the test's timeout.
# The build's desktop holder starts it first, its output going nowhere, and
# stays until wine_stop.
hold_desktop() {
    local holder="$QELD_WINE_BUILD/tests/support/desktop_holder.exe"
    [ -f "$holder" ] || return 0
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    wine "$holder" </dev/null >"$fifo" 2>/dev/null &
    timeout 60 head -n1 "$fifo" >/dev/null || echo "warning: the desktop holder did not start" >&2
    rm -f "$fifo"
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        unset XVFB_PID QELD_OWN_XVFB
    fi
}
