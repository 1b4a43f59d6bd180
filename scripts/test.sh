#!/usr/bin/env bash
# Builds both configurations and runs every test: the platform-neutral core
# natively under the sanitizers, everything else under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
build=build

cmake -S . -B $build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build $build/native -j"$jobs"
(cd $build/native && ctest --output-on-failure -j"$jobs")

cmake -S . -B $build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build $build/cross -j"$jobs"

. scripts/wine-env.sh $build/cross
trap wine_stop EXIT
wine_start
(cd $build/cross && ctest --output-on-failure -j"$jobs" </dev/null)
