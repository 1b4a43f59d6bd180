#!/usr/bin/env bash
# Renders a 12-megapixel JPEG to three tablet screens (best fit) under Wine and
# compares with two baselines measured in the same run on the same file: the
# WIC decode to BGRA alone, and ImageMagick doing the same job.
# Usage: bench/run_render_bench.sh <cross build folder> [repeats]
set -euo pipefail
build=$(realpath "$1")
repeats=${2:-5}
cd "$(dirname "$0")/.."
cmake --build "$build" --target render_bench -j2 >/dev/null
work=$build/bench-data
mkdir -p "$work"
photo=$work/photo.jpg
if [ ! -f "$photo" ]; then
    /usr/bin/convert -seed 1 -size 1000x750 plasma:fractal -resize 4000x3000! \
        -attenuate 0.3 +noise Gaussian -quality 90 "$photo"
fi
/usr/bin/identify "$photo"

. scripts/wine-env.sh "$build"
trap wine_stop EXIT
wine_start
winphoto="Z:${photo//\//\\}"
for case in idle decode mono rgb565 bgr24; do
    wine "$build/bench/render_bench.exe" "$winphoto" $case "$repeats" </dev/null 2>/dev/null \
        | tr -d '\r'
done

# ImageMagick, one process per render: seconds and peak resident kilobytes.
im() {
    local name=$1; shift
    local best=""
    for _ in $(seq "$repeats"); do
        /usr/bin/time -f "%e %M" -o "$work/time.txt" /usr/bin/convert "$photo" "$@"
        best="$best $(cat "$work/time.txt")"
    done
    echo "imagemagick-$name runs(s,KB):$best"
}
im mono -resize 320x200 -background white -gravity center -extent 320x200 \
    -colorspace Gray -dither FloydSteinberg -monochrome "MONO:$work/out.mono"
im rgb565 -resize 640x480 -background black -gravity center -extent 640x480 \
    -define bmp:subtype=RGB565 "BMP:$work/out565.bmp"
im bgr24 -resize 800x480 -background black -gravity center -extent 800x480 "BGR:$work/out.bgr"
