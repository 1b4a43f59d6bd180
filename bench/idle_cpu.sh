#!/usr/bin/env bash
# CPU time of qeldsvc.exe (console mode under Wine) with a 30 s interval for
# <seconds> (default 120), read every second from /proc/<pid>/stat:
#   1. baseline in the same run: no tablet plugged, so each tick only steps
#      the picture list and the process does nothing else but wait;
#   2. three virtual tablets (1-bit, 16-bit, 24-bit with bulk): the same, and
#      the seconds from 1 s before to 5 s after each tick hold the uploads.
# Prints the share of one core between ticks, the whole run's share and the
# CPU time of one round of uploads. The wineserver's share is shown beside it:
# every wait and every request of the process passes through it.
# Usage: bench/idle_cpu.sh <cross build folder> [seconds]
set -euo pipefail
. "$(dirname "$0")/service_env.sh" "$1"
seconds=${2:-120}
interval=30
bench_start idle-cpu
bench_pictures "$work/pictures" 5
bench_settings "$work/pictures" $((interval * 1000))
server_pid=$(process_find wineserver)

# Writes one line a second: seconds since the program started, then the CPU
# ticks of qeldsvc and of the wineserver and the microseconds of qeldsvc since
# the previous line.
record() {
    local out=$1 first=$2 previous server micros now server_now micros_now t
    previous=$(cpu_ticks "$service_pid")
    server=$(cpu_ticks "$server_pid")
    micros=$(cpu_micros "$service_pid")
    for t in $(seq 1 "$seconds"); do
        sleep "$(awk -v due="$first" -v t="$t" -v now="$(date +%s.%N)" \
            'BEGIN { d = due + t - now; print (d > 0 ? d : 0) }')"
        now=$(cpu_ticks "$service_pid")
        server_now=$(cpu_ticks "$server_pid")
        micros_now=$(cpu_micros "$service_pid")
        echo "$t $((now - previous)) $((server_now - server)) $((micros_now - micros))" >>"$out"
        previous=$now
        server=$server_now
        micros=$micros_now
    done
}

# Shares of one core in percent between ticks (seconds 5 to 29 after each
# tick) and from the second tick on (the first one shares its seconds with the
# program's start), and the CPU seconds of a tick above the rate between ticks.
summarise() {
    awk -v hz="$clock_ticks" -v interval=$interval -v label="$1" '
        { phase = ($1 - 1) % interval
          if (phase >= 5 && phase < interval - 1) { idle += $2; server_idle += $3; micros += $4; m++ }
          if ($1 > interval) { all += $2; server_all += $3; n++ } }
        END { rate = idle / m
              printf "%s: between ticks %.3f %% (%.4f %% by the scheduler clock; wineserver %.3f %%) over %d s; from the second tick %.3f %% (wineserver %.3f %%) over %d s; %.3f s per tick above the rate between ticks\n",
                  label, 100 * rate / hz, micros / m / 1e4, 100 * server_idle / m / hz, m,
                  100 * all / n / hz, 100 * server_all / n / hz, n,
                  (all - rate * n) / hz / (n / interval) }' "$2"
}

# Runs the console and records from its start; its first tick follows at once.
phase() {
    local label=$1 first
    first=$(date +%s.%N)
    service_start "$work/console-$label.log"
    record "$work/cpu-$label.txt" "$first"
    service_stop
    summarise "$label" "$work/cpu-$label.txt" | tee -a "$work/summary.txt"
}

phase no-tablet
tablets=("$(vtablet plug QEL10)" "$(vtablet plug QEL40)" "$(vtablet plug QEL50 --bulk)")
sleep 2
phase three-tablets
for slot in "${tablets[@]}"; do
    echo "tablet $slot: $(tablet_images "$slot") images" | tee -a "$work/summary.txt"
done
echo "per-second CPU ticks (1/$clock_ticks s) of qeldsvc, three tablets:"
awk '{ printf "%s%s", $2, ($1 % 30 ? " " : "\n") }' "$work/cpu-three-tablets.txt"
