#!/usr/bin/env bash
# The main job: builds the Windows programs and runs the service program in
# console mode under Wine, against a seeded Parameters key. From a terminal
# you type the console's commands yourself; without one a short script of
# commands is played.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build/demo
cmake -S . -B $build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build $build -j"$(nproc)" --target qeldsvc

. scripts/wine-env.sh $build
trap wine_stop EXIT
wine_start

pictures="$build/pictures"
mkdir -p "$pictures"
for colour in red green blue; do
    [ -f "$pictures/$colour.png" ] || convert -size 320x200 "gradient:$colour-white" "$pictures/$colour.png"
done
key='HKLM\SYSTEM\CurrentControlSet\services\QELDSVC\Parameters'
wine reg add "$key" /v Folder /t REG_SZ /d "$(winepath -w "$pictures")" /f >/dev/null 2>&1
wine reg add "$key" /v "Update Time" /t REG_DWORD /d 3000 /f >/dev/null 2>&1

program="$build/bin/qeldsvc.exe"
[ -f "$program" ] || program="$build/service/qeldsvc.exe"
if [ -t 0 ]; then
    wine "$program"
else
    { sleep 2; echo d; sleep 1; echo s; sleep 1; echo r; sleep 1; echo q; } | wine "$program"
fi
