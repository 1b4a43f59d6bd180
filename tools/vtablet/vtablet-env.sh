# Sourced by test scripts and the demo after scripts/wine-env.sh and wine_start:
#   . tools/vtablet/vtablet-env.sh <cross build folder>
#   vtablet_install; n=$(vtablet plug QEL40 --bulk); vtablet screen "$n" out.png
VTABLET_DIR="$(realpath -m "$1")/tools/vtablet"
export VTABLET_DIR

# Runs the control tool. Its output goes through a file, never a pipe, because a
# wine process that starts a driver service would hand the pipe on to it; the
# Windows line ends are dropped so that the output feeds shell commands.
vtablet() {
    local out rc=0
    out=$(mktemp)
    wine "$VTABLET_DIR/vtablet.exe" "$@" >"$out" || rc=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return $rc
}

# Installs the drivers into the current WINEPREFIX; harmless when already there.
vtablet_install() {
    vtablet install >/dev/null
}

# Puts freshly built driver images into an existing prefix. Call it before
# wine_start: Wine starts the bus driver with every new wineserver, and an
# image must not be replaced while it is loaded.
vtablet_refresh() {
    local drivers="$WINEPREFIX/drive_c/windows/system32/drivers"
    if [ -d "$drivers" ] && [ -f "$drivers/qelvbus.sys" ]; then
        cp "$VTABLET_DIR"/qelv*.sys "$drivers/"
    fi
}
