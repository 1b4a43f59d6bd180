#!/usr/bin/env bash
# Soak of the slideshow service: qeldsvc.exe in console mode under Wine with
# a 1 s interval for <ticks> seconds, while tablets are unplugged and plugged
# (every 20 s), pictures are added, renamed, removed and half-written ones put
# in the folder (every 3 s), and settings change (every 30 s). Samples the
# process's handle count, thread count and private bytes at the start, every
# 100 ticks and at the end; checks that it is still alive and quits cleanly.
# Not run by CI: 1,000 ticks take about 17 minutes.
# Usage: bench/soak.sh <cross build folder> [ticks]
set -euo pipefail
. "$(dirname "$0")/service_env.sh" "$1"
ticks=${2:-1000}
bench_start soak
mkdir -p "$work/pool" "$work/pictures" "$work/other"
bench_pictures "$work/pool" 8
cp "$work/pool"/picture-{1,2,3,4,5}.jpg "$work/pictures/"
cp "$work/pool"/picture-{6,7}.jpg "$work/other/"
bench_settings "$work/pictures" 1000

stable=$(vtablet plug QEL40)
churn=("$(vtablet plug QEL10)" "$(vtablet plug QEL50 --bulk)")
models=("QEL10" "QEL50 --bulk" "QEL60" "QEL30" "QEL60 --bulk" "QEL20")
sleep 1
service_start "$work/console.log"

samples=$work/samples.txt
sample() {
    local counts linux
    counts=$(wine "$build/bench/process_counts.exe" qeldsvc.exe 2>&1 | tr -d '\r') ||
        counts="qeldsvc.exe not running"
    linux=$(awk '/^(Threads|VmRSS|RssAnon):/ { printf "%s%s ", $1, $2 }' \
        "/proc/$service_pid/status" 2>/dev/null) || true
    echo "t=$1s images=$(tablet_images "$stable") $counts | linux $linux" | tee -a "$samples"
}

# Tablets: the oldest of the two churned tablets goes, a tablet of the next
# model comes, so that a new worker starts and an old one ends each time.
next_model=0
churn_tablets() {
    vtablet unplug "${churn[0]}" >/dev/null
    churn=("${churn[1]}" "$(vtablet plug ${models[next_model]})")
    next_model=$(((next_model + 1) % ${#models[@]}))
}

# Pictures: add, rename, remove in turn, and now and then a half-written file
# that cannot be decoded, removed again at the following step.
picture_step=0
churn_pictures() {
    local folder=$work/pictures n=$picture_step
    picture_step=$((n + 1))
    rm -f "$folder"/bad-*.jpg
    local files=("$folder"/*.jpg)
    case $((n % 4)) in
    0) cp "$work/pool/picture-$((n % 8 + 1)).jpg" "$folder/added-$n.jpg" ;;
    1) mv "${files[0]}" "$folder/renamed-$n.jpg" ;;
    2) [ ${#files[@]} -gt 4 ] && rm -f "${files[$((n % ${#files[@]}))]}" ;;
    3) head -c 3000 "$work/pool/picture-8.jpg" >"$folder/bad-$n.jpg" ;;
    esac
    if [ ${#files[@]} -gt 10 ]; then rm -f "${files[1]}"; fi
}

# Settings: the interval (999 ms counts as 1000 ms), a model's layout, and a
# model's own folder, which gives it a list of its own and takes it away again.
settings_step=0
churn_settings() {
    local n=$settings_step
    settings_step=$((n + 1))
    case $((n % 4)) in
    0) reg add "$key" /v "Update Time" /t REG_DWORD /d $((999 + n % 8 / 4)) /f ;;
    1) reg add "$key\\QEL40" /v Scale /t REG_DWORD /d $((n % 3)) /f ;;
    2) reg add "$key\\QEL10" /v Folder /t REG_SZ /d "$(winepath -w "$work/other")" /f ;;
    3) reg delete "$key\\QEL10" /f ;;
    esac
}

sleep 10
start=$SECONDS
sample 0
plugs=0 pictures=0 settings=0 next_sample=100
while (((elapsed = SECONDS - start) < ticks)); do
    if ((elapsed >= (plugs + 1) * 20)); then churn_tablets; plugs=$((plugs + 1)); fi
    if ((elapsed >= (pictures + 1) * 3)); then churn_pictures; pictures=$((pictures + 1)); fi
    if ((elapsed >= (settings + 1) * 30)); then churn_settings; settings=$((settings + 1)); fi
    if ((elapsed >= next_sample)); then sample "$elapsed"; next_sample=$((next_sample + 100)); fi
    sleep 0.5
done
sample "$((SECONDS - start))"

alive=no
[ -d "/proc/$service_pid" ] && alive=yes
rc=0
service_stop || rc=$?
echo "alive at the end: $alive; exit code after q: $rc; plug/unplug $plugs, picture changes $pictures, settings changes $settings" | tee -a "$samples"
echo "event reports in the console log, by id:"
grep -o '^event 0x[0-9A-F]*' "$work/console.log" | sort | uniq -c || true
grep -E 'EXCEPTION|FATAL' "$work/console.log" && exit 1
[ "$alive" = yes ] && [ "$rc" = 0 ]
