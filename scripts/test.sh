#!/usr/bin/env bash
# Builds both configurations and runs every test: the platform-neutral core
# natively under the sanitizers and briefly under the fuzzers, everything
# else under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
build=build

cmake -S . -B $build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build $build/native -j"$jobs"
(cd $build/native && ctest --output-on-failure -j"$jobs")

# Every fuzz target of the core for 20 seconds over its seeds and what earlier
# runs found (about 2.5 minutes in all); any finding fails the run.
bash bench/fuzz.sh $build/fuzz 20

cmake -S . -B $build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build $build/cross -j"$jobs"

. scripts/wine-env.sh $build/cross
trap wine_stop EXIT
wine_start
# Every test runs once: a test that fails, fails the run.
(cd $build/cross && ctest --output-on-failure -j"$jobs" </dev/null)
