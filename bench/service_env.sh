# Sourced by the benchmarks that run the service: builds the service and the
# virtual tablet in a Release cross build, prepares a Wine prefix with the
# tablet drivers, and runs qeldsvc.exe in console mode with its standard input
# on a pipe that the script keeps open, so that commands reach it at any time.
# Usage: . bench/service_env.sh <cross build folder>
build=$(realpath -m "$1")
cd "$(dirname "${BASH_SOURCE[0]}")/.."
key='HKLM\SYSTEM\CurrentControlSet\services\QELDSVC\Parameters'

bench_build() {
    [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j2 --target qeldsvc vtablet vtablet_winusb process_counts >/dev/null
    make -C "$build/tools/vtablet" -j2 >/dev/null
    cp "$build/tools/vtablet/winusb.dll" "$build/service/winusb.dll"
}

# A prefix with the drivers and no tablet plugged. The WinUSB double reaches
# qeldsvc through the environment, as it is started from this shell.
bench_prefix() {
    . scripts/wine-env.sh "$build"
    wine_start
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winusb=n"
    . tools/vtablet/vtablet-env.sh "$build"
    vtablet_install
    for slot in $(vtablet list | cut -d' ' -f1); do vtablet unplug "$slot" >/dev/null; done
}

# What every benchmark starts with: an empty work folder <build>/<name> in
# $work, the build, the prefix, and on exit qeldsvc's input closed and Wine
# ended.
bench_start() {
    work=$build/$1
    rm -rf "$work"
    mkdir -p "$work"
    bench_build
    bench_prefix
    trap bench_end EXIT
}

bench_end() {
    exec 9>&- 2>/dev/null || true
    wine_stop
}

# Makes <count> sample pictures of different sizes in <folder>.
bench_pictures() {
    local folder=$1 count=$2 i
    mkdir -p "$folder"
    for i in $(seq 1 "$count"); do
        /usr/bin/convert -size $((200 + 150 * i))x$((900 - 60 * i)) "gradient:navy-gold" \
            -fill white -draw "circle $((100 + 40 * i)),200 $((100 + 40 * i)),$((60 + 10 * i))" \
            "$folder/picture-$i.jpg"
    done
}

reg() { wine reg "$@" >/dev/null 2>&1; }

bench_settings() {
    local folder=$1 interval=$2
    reg delete "$key" /f || true
    reg add "$key" /v Folder /t REG_SZ /d "$(winepath -w "$folder")" /f
    reg add "$key" /v "Update Time" /t REG_DWORD /d "$interval" /f
}

# Starts the console; sets service_pid to the Linux process that runs it.
service_start() {
    local log=$1 fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    wine "$build/service/qeldsvc.exe" <"$fifo" >"$log" 2>&1 &
    service_job=$!
    exec 9>"$fifo"
    rm -f "$fifo"
    service_pid=""
    for _ in $(seq 50); do
        service_pid=$(service_find) && break
        sleep 0.1
    done
    [ -n "$service_pid" ] || { echo "qeldsvc.exe did not start" >&2; return 1; }
}

# The Linux process of this prefix whose command line names <name>.
process_find() {
    local dir
    for dir in /proc/[0-9]*; do
        if tr '\0' ' ' 2>/dev/null <"$dir/cmdline" | grep -q "$1" &&
            tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "${dir#/proc/}"
            return 0
        fi
    done
    return 1
}
service_find() { process_find 'qeldsvc\.exe'; }

service_send() { echo "$1" >&9; }

# Quits the console and returns its exit code (also when it has ended
# already: a write to its pipe would then end this script).
service_stop() {
    local rc=0
    if [ -d "/proc/$service_pid" ]; then service_send q; fi
    exec 9>&-
    wait "$service_job" || rc=$?
    return $rc
}

# CPU time of a Linux process in clock ticks (user + system).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
clock_ticks=$(getconf CLK_TCK)

# CPU time of the live threads of a process in microseconds, from the
# scheduler's nanosecond clock: finer than the 10 ms of cpu_ticks, but a thread
# that ends takes its time with it.
cpu_micros() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s / 1000 }'; }

# The tablet's count of complete images.
tablet_images() { vtablet status "$1" | sed -n 's/^images=//p'; }
