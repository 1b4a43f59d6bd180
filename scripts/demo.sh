#!/usr/bin/env bash
# The main job: a live slideshow under Wine. Builds the service program and
# the virtual tablet, plugs three tablets (1-bit, 16-bit, 24-bit with a bulk
# pipe), makes a folder of sample pictures, writes per-model settings, runs
# qeldsvc in console mode for a few ticks and saves what every tablet showed
# after each tick, plus an overview of all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

ticks=${QELD_DEMO_TICKS:-5}
interval=5000
build=build/demo
out=$build/screens
convert=/usr/bin/convert
montage=/usr/bin/montage

echo "== building"
cmake -S . -B $build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build $build -j"$(nproc)" --target qeldsvc vtablet vtablet_winusb >/dev/null
make -C $build/tools/vtablet -j"$(nproc)" >/dev/null
cp "$build/tools/vtablet/winusb.dll" "$build/service/winusb.dll"

echo "== preparing Wine and three virtual tablets"
. scripts/wine-env.sh $build
trap wine_stop EXIT
wine_start
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winusb=n"
. tools/vtablet/vtablet-env.sh $build
vtablet_install
for slot in $(vtablet list | cut -d' ' -f1); do vtablet unplug "$slot" >/dev/null; done
declare -A slot
for model in "QEL10" "QEL40" "QEL50 --bulk"; do
    slot[${model%% *}]=$(vtablet plug $model | tr -d '\r')
done

echo "== making sample pictures"
pictures=$build/pictures
rm -rf "$pictures" "$out"
mkdir -p "$pictures" "$out"
$convert -size 1600x900 gradient:navy-skyblue -fill gold -draw "circle 1200,300 1200,150" \
    -fill darkgreen -draw "polygon 0,900 500,450 1000,900" "$pictures/1-landscape.jpg"
$convert -size 600x1000 gradient:orange-purple -fill white \
    -draw "rectangle 150,200 450,800" "$pictures/2-portrait.png"
$convert -size 300x300 xc:none -fill red -draw "circle 150,150 150,20" \
    -fill white -draw "rectangle 90,125 210,175" "$pictures/3-logo.png"
$convert -size 120x80 pattern:checkerboard -fill blue -draw "rectangle 40,20 80,60" "$pictures/4-small.gif"
$convert -size 2400x500 gradient:red-yellow -fill black -draw "rectangle 1100,100 1300,400" "$pictures/5-panorama.bmp"

echo "== writing settings"
key='HKLM\SYSTEM\CurrentControlSet\services\QELDSVC\Parameters'
reg() { wine reg "$@" >/dev/null 2>&1; }
reg delete "$key" /f || true
reg add "$key" /v Folder /t REG_SZ /d "$(winepath -w "$pictures")" /f
reg add "$key" /v "Update Time" /t REG_DWORD /d $interval /f
reg add "$key\\QEL10" /v Scale /t REG_DWORD /d 0 /f            # Stretch
reg add "$key\\QEL40" /v Scale /t REG_DWORD /d 1 /f            # Best fit,
reg add "$key\\QEL40" /v Border /t REG_DWORD /d 1 /f           # white border
reg add "$key\\QEL50" /v Scale /t REG_DWORD /d 2 /f            # Original size,
reg add "$key\\QEL50" /v Clip /t REG_DWORD /d 0x22 /f          # bottom right

echo "== running the slideshow for $ticks ticks"
log=$build/console.log
{ sleep $(( (ticks * interval + 3500) / 1000 )); echo q; } | wine $build/service/qeldsvc.exe >"$log" 2>&1 &
console=$!
# The first tick comes as the program starts; every screen is read a few
# seconds after its tick, when even the slowest upload (16-bit through
# feature reports) has ended. The times are kept from the start so that the
# reads never drift across a tick.
start=$(date +%s%N)
for tick in $(seq 1 "$ticks"); do
    due=$(( start + (3500 + (tick - 1) * interval) * 1000000 ))
    now=$(date +%s%N)
    [ "$due" -le "$now" ] || sleep "$(( (due - now) / 1000000 ))e-3"
    for model in QEL10 QEL40 QEL50; do
        vtablet screen "${slot[$model]}" "$out/tick$tick-$model.png" >/dev/null
    done
done
wait $console
for model in QEL10 QEL40 QEL50; do
    vtablet screen "${slot[$model]}" "$out/after-quit-$model.png" >/dev/null
done

# The labels name a font that setup.sh installs: ImageMagick's default font
# is missing on a fresh machine.
$montage -label '%t' -font Helvetica -geometry '+8+8' -background '#333' -fill white \
    $(for tick in $(seq 1 "$ticks"); do echo "$out/tick$tick-QEL10.png $out/tick$tick-QEL40.png $out/tick$tick-QEL50.png"; done) \
    -tile 3x "$out/overview.png"

echo
cat "$log"
echo
echo "Screens after each tick: $out/tick<n>-<model>.png"
echo "Blanked screens after quit: $out/after-quit-<model>.png"
echo "Overview (one row per tick: QEL10 1-bit stretch, QEL40 16-bit best fit, QEL50 24-bit bulk original size): $out/overview.png"
