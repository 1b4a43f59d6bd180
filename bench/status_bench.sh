#!/usr/bin/env bash
# Reply time of the status query with three tablets, and the drift of the
# slideshow's ticks with and without a silent client and bursts of 200
# clients, against qeldsvc.exe in console mode under Wine (1 s interval,
# three virtual tablets: QEL10 1-bit, QEL40 16-bit, QEL50 24-bit with bulk).
# Usage: bench/status_bench.sh <cross build folder> [seconds per drift phase]
set -euo pipefail
. "$(dirname "$0")/service_env.sh" "$1"
seconds=${2:-60}
interval=1000
bench_start status-bench
cmake --build "$build" -j2 --target status_bench >/dev/null
bench_pictures "$work/pictures" 3
bench_settings "$work/pictures" $interval
for model in QEL10 QEL40 "QEL50 --bulk"; do
    # shellcheck disable=SC2086
    vtablet plug $model >/dev/null
done
sleep 2
service_start "$work/console.log"
# Every picture is decoded and prepared once for each tablet before measuring.
sleep 8
wine "$build/bench/status_bench.exe" "$(winepath -w "$build/service/qeldsvc.exe")" QEL40 \
    $interval "$seconds" >"$work/summary.txt"
tr -d '\r' <"$work/summary.txt"
service_stop
