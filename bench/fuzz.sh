#!/usr/bin/env bash
# Runs the fuzz targets of the core (tests/fuzz) one after another, each for
# the given number of seconds, and reports per target the executions per
# second, the edges covered and the findings. Exits non-zero on any finding;
# scripts/test.sh runs it briefly, a long run shows how far coverage gets.
#
#   bash bench/fuzz.sh <build folder> [seconds per target] [target ...]
#
# The build folder is configured with clang for fuzzing when it does not
# exist yet. Targets are named without "_fuzz" (render, reports, ...); all by
# default, 60 seconds each. New inputs collect in <build>/corpus/<target> next
# to the seeds of tests/fuzz/corpus/<target>; findings land in
# <build>/findings, the fuzzers' output in <build>/logs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: bench/fuzz.sh <build folder> [seconds per target] [target ...]}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(ls tests/fuzz/*_fuzz.cpp | xargs -n1 basename | sed 's/_fuzz\.cpp$//'))
fi

CC=clang CXX=clang++ cmake -S . -B $build -DQELD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
cmake --build $build -j"$(nproc)" --target "${targets[@]/%/_fuzz}" >/dev/null

# One target until its time is used up; after a finding the fuzzer starts
# again, so that a long run counts more than the first.
run_target() {
    local name=$1 work=$build/corpus/$1 findings=$build/findings log=$build/logs/$1.log
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    rm -f "$findings/$name-"* "$log"
    local start=$SECONDS left=$seconds
    while [ "$left" -gt 0 ]; do
        "$build/tests/fuzz/${name}_fuzz" -max_total_time="$left" -max_len=8192 -timeout=30 \
            -print_final_stats=1 -artifact_prefix="$findings/$name-" \
            "$work" "tests/fuzz/corpus/$name" >>"$log" 2>&1 || true
        left=$((seconds - (SECONDS - start)))
    done
    local elapsed=$((SECONDS - start))
    local runs edges found
    runs=$(awk '/^stat::number_of_executed_units/ {n += $2} END {print n + 0}' "$log")
    edges=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1 | grep -oE '[0-9]+' || echo 0)
    found=$(find "$findings" -name "$name-*" | wc -l)
    printf '%-18s %6d s %12d runs %9d exec/s %7d edges %3d findings\n' "$name" "$elapsed" \
        "$runs" $((runs / (elapsed > 0 ? elapsed : 1))) "${edges:-0}" "$found"
    if [ "$found" -gt 0 ]; then
        grep -E 'SUMMARY|invariant broken|runtime error' "$log" | sort | uniq -c | sed 's/^/    /'
        find "$findings" -name "$name-*" | sed 's/^/    input: /'
        return 1
    fi
}

failed=0
for t in "${targets[@]}"; do
    run_target "$t" || failed=1
done
exit $failed
