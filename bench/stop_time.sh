#!/usr/bin/env bash
# Time from a stop to the end of qeldsvc.exe under Wine, with 1, 3 and 8
# virtual tablets, healthy and faulty (every other tablet hangs: it holds every
# request without answering; the others deny every open, as when another
# program holds them). Two stops: "q" on the console, and a stop request to
# the service control manager for the installed service. Every run waits
# until each tablet has shown a picture, injects the faults, then stops.
# Usage: bench/stop_time.sh <cross build folder> [runs]
set -euo pipefail
. "$(dirname "$0")/service_env.sh" "$1"
runs=${2:-3}
bench_start stop-time
mkdir -p "$work/pictures"
trap 'wine sc delete QELDSVC >/dev/null 2>&1 || true; bench_end' EXIT
bench_pictures "$work/pictures" 3
models=("QEL40" "QEL10" "QEL50 --bulk" "QEL60" "QEL20" "QEL60 --bulk" "QEL30" "QEL40")

now_ms() { date +%s%3N; }

# Plugs <count> tablets and waits until each has shown a picture.
plug_tablets() {
    local count=$1 i
    slots=()
    for i in $(seq 0 $((count - 1))); do slots+=("$(vtablet plug ${models[i]})"); done
}
wait_for_pictures() {
    local slot
    for slot in "${slots[@]}"; do
        for _ in $(seq 200); do
            [ "$(tablet_images "$slot")" -ge 1 ] && break
            sleep 0.1
        done
    done
}
inject_faults() {
    local i
    for i in "${!slots[@]}"; do
        if [ $((i % 2)) = 0 ]; then vtablet fault "${slots[i]}" hang >/dev/null
        else vtablet fault "${slots[i]}" deny-open >/dev/null; fi
    done
}
unplug_tablets() {
    local slot
    for slot in "${slots[@]}"; do vtablet unplug "$slot" >/dev/null; done
}

# Milliseconds from "q" to the end of the console.
console_stop() {
    local count=$1 faulty=$2 start
    bench_settings "$work/pictures" 2000
    plug_tablets "$count"
    sleep 1
    service_start "$work/console.log"
    wait_for_pictures
    [ "$faulty" = 1 ] && inject_faults
    start=$(now_ms)
    service_stop || true
    echo $(($(now_ms) - start))
    unplug_tablets
}

# Whether a Linux process has ended. A service process has no Linux parent
# but the machine's first process, which may reap it a second or more after
# it has exited: an ended process that waits there counts as ended.
process_ended() {
    [ ! -d "/proc/$1" ] || [ "$(awk '/^State/ { print $2 }' "/proc/$1/status" 2>/dev/null)" = Z ]
}

# Milliseconds from the stop request to the end of the service's process,
# less the time Wine takes to start and end a service control program
# (`sc query`, measured just before), so that the figure is the service's
# own, as the console's is.
service_stop_time() {
    local count=$1 faulty=$2 start pid query
    bench_settings "$work/pictures" 2000
    plug_tablets "$count"
    sleep 1
    wine sc start QELDSVC >/dev/null
    pid=""
    for _ in $(seq 100); do pid=$(service_find) && break; sleep 0.1; done
    wait_for_pictures
    [ "$faulty" = 1 ] && inject_faults
    start=$(now_ms)
    wine sc query QELDSVC >/dev/null 2>&1 || true
    query=$(($(now_ms) - start))
    start=$(now_ms)
    wine sc stop QELDSVC >/dev/null 2>&1 &
    local stopper=$!
    while [ -n "$pid" ] && ! process_ended "$pid"; do sleep 0.005; done
    echo $(($(now_ms) - start - query))
    wait "$stopper" || true
    while [ -n "$pid" ] && [ -d "/proc/$pid" ]; do sleep 0.02; done
    unplug_tablets
}

median() { tr -s ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {
    local how=$1 count=$2 faulty=$3 times="" run
    for run in $(seq "$runs"); do times="$times $($how "$count" "$faulty")"; done
    echo "$times" | median
}

wine "$build/service/qeldsvc.exe" /install >/dev/null
# Started on demand only (Wine's sc has no "config"), so that no wineserver
# starts it by itself.
reg add 'HKLM\SYSTEM\CurrentControlSet\Services\QELDSVC' /v Start /t REG_DWORD /d 3 /f
baseline=""
printf '%-8s %-8s %-8s %10s %8s\n' stop tablets tablets ms ratio
for how in console_stop service_stop_time; do
    for faulty in 0 1; do
        for count in 1 3 8; do
            ms=$(measure "$how" "$count" "$faulty")
            [ -n "$baseline" ] || baseline=$ms
            printf '%-8s %-8s %-8s %10s %8s\n' "${how%%_*}" "$count" \
                "$([ "$faulty" = 1 ] && echo faulty || echo healthy)" "$ms" \
                "$(awk -v a="$ms" -v b="$baseline" 'BEGIN { printf "%.2f", a / b }')"
        done
    done
done
