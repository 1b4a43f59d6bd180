#!/usr/bin/env bash
# Uploads to full-speed tablets. First the host's share: transfer_bench.exe
# against the bare system calls on the same tablets (a QEL60 through feature
# reports and one through the bulk pipe), with instant tablets and with the
# full-speed profile. Then the real program in console mode, per model and
# transport at full speed: plug -> first picture complete, upload time and
# exclusive hold (from its status), tick -> picture complete (a new picture
# in the folder ticks at once; the render of the new picture counts), and the
# time from "q" in the middle of an upload to the end of the process. A tick
# is made at a known moment by a change of the generic "Border", which ticks
# at once (a new picture in the folder would too, but needs the folder
# watcher's notifications); the clock starts when `reg` has written it.
# Usage: bench/transfer_time.sh <cross build folder> [runs]
set -euo pipefail
. "$(dirname "$0")/service_env.sh" "$1"
runs=${2:-3}
bench_start transfer-time
cmake --build "$build" -j2 --target transfer_bench >/dev/null
cp "$build/tools/vtablet/winusb.dll" "$build/bench/winusb.dll"
bench_pictures "$work/pictures" 1

now_ms() { date +%s%3N; }
median() { tr -s ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
unplug_all() {
    local slot
    for slot in $(vtablet list | cut -d' ' -f1); do vtablet unplug "$slot" >/dev/null; done
}
wait_listed() {
    for _ in $(seq 100); do [ "$(vtablet list | wc -l)" -ge "$1" ] && sleep 1 && return; sleep 0.1; done
}

# An upload to an instant tablet takes a few milliseconds, in which the
# machine's other work weighs heavily: those ratios take 40 times the runs.
echo "== the host's share: the product's upload against the bare calls"
for profile in instant full; do
    share_runs=$runs
    [ "$profile" = instant ] && share_runs=$((runs * 40))
    unplug_all
    vtablet plug QEL60 --busy 0 --usb "$profile" >/dev/null
    vtablet plug QEL60 --bulk --busy 0 --usb "$profile" >/dev/null
    wait_listed 2
    echo "profile: $profile (medians of $share_runs)"
    wine "$build/bench/transfer_bench.exe" "$share_runs" | tr -d '\r'
done
unplug_all

# The status lines of the one tablet: "<upload end, ms since the epoch> <upload ms> <hold ms>
# <uploads>", or nothing before its first upload.
tablet_upload() {
    local status start ms hold uploads
    status=$(wine "$build/service/qeldsvc.exe" /status 2>/dev/null | tr -d '\r') || return 0
    uploads=$(sed -n 's/^  uploads: //p' <<<"$status")
    [ -n "$uploads" ] && [ "$uploads" -gt 0 ] || return 0
    start=$(sed -n 's/^  last upload: \(.*UTC\), .*/\1/p' <<<"$status")
    ms=$(sed -n 's/^  last upload: .*, \([0-9]*\) ms/\1/p' <<<"$status")
    hold=$(sed -n 's/^  exclusive hold: \([0-9]*\) ms/\1/p' <<<"$status")
    echo "$(($(date -d "$start" +%s%3N) + ms)) $ms $hold $uploads"
}
wait_uploads() {
    local count=$1 line
    for _ in $(seq 120); do
        line=$(tablet_upload)
        if [ -n "$line" ] && [ "$(cut -d' ' -f4 <<<"$line")" -ge "$count" ]; then echo "$line"; return; fi
        sleep 0.3
    done
    echo "0 0 0 0"
}

# One run of one model and transport: "plug->first upload hold tick->complete stop caught".
measure() {
    local model=$1 plugged first tick line slot caught=no start
    bench_settings "$work/pictures" 600000
    service_start "$work/console.log"
    sleep 2
    plugged=$(now_ms)
    slot=$(vtablet plug $model --usb full)
    line=$(wait_uploads 1)
    first=$(($(cut -d' ' -f1 <<<"$line") - plugged))
    reg add "$key" /v Border /t REG_DWORD /d 1 /f
    tick=$(now_ms)
    line=$(wait_uploads 2)
    echo -n "$first $(cut -d' ' -f2,3 <<<"$line") $(($(cut -d' ' -f1 <<<"$line") - tick))"
    reg add "$key" /v Border /t REG_DWORD /d 0 /f
    for _ in $(seq 100); do
        [ "$(vtablet status "$slot" | sed -n 's/^status=//p')" = 1 ] && caught=yes && break
    done
    start=$(now_ms)
    service_stop || true
    echo " $(($(now_ms) - start)) $caught"
    vtablet unplug "$slot" >/dev/null
}

echo "== full speed, the program in console mode (medians of $runs; ms)"
printf '%-16s %10s %10s %10s %14s %10s %s\n' tablet plug-first upload hold tick-complete stop caught
for model in QEL10 QEL40 QEL50 QEL60 "QEL10 --bulk" "QEL40 --bulk" "QEL50 --bulk" "QEL60 --bulk"; do
    results=()
    for run in $(seq "$runs"); do results+=("$(measure "$model")"); done
    row=""
    for column in 1 2 3 4 5; do
        row="$row $(printf '%s\n' "${results[@]}" | cut -d' ' -f$column | median)"
    done
    caught=$(printf '%s\n' "${results[@]}" | cut -d' ' -f6 | grep -c yes || true)
    printf '%-16s %10s %10s %10s %14s %10s %s/%s\n' "$model" $row "$caught" "$runs"
done
