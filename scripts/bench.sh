#!/bin/sh
# Builds the default preset, runs every benchmark with repetitions and prints
# the table of medians, the targets and the bench signature, then the Python
# batch's table when the Python module is built. The results go to
# build/bench/ too: each benchmark's JSON, results.md and results.json.
# Usage: scripts/bench.sh [REPETITIONS]   (default 9)
set -eu
cd "$(dirname "$0")/.."
repetitions=${1:-9}
out=build/bench

cmake --preset default >/dev/null
cmake --build --preset default
mkdir -p "$out"

run() {
    name=$1
    shift
    echo "== $name" >&2
    "build/bin/$name" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" >&2
}

# The engines read TESSIVAL_SEED when they load the library; the benchmarks
# measure the default stream.
unset TESSIVAL_SEED
run physics_bench
run go_bench
results="$out/physics_bench.json $out/go_bench.json"
if [ -x build/bin/granite_bench ]; then
    run granite_bench
    results="$results $out/granite_bench.json"
fi
if [ -x build/bin/game_bench ]; then
    run game_bench
    results="$results $out/game_bench.json"
    signature=$(build/bin/bench_signature --check bench/signature.txt) || signature="$signature (DIFFERS from bench/signature.txt)"
else
    signature="bench signature: not built (no pebble-match)"
fi
status=0
# shellcheck disable=SC2086
build/bin/bench_report "$out" "$signature" $results || status=$?

# The Python module's batch beside a C++ loop over the same throws, when the module is built.
if [ -d build/python/tessival ] && [ -x build/bin/batch_reference ]; then
    echo "== python_batch" >&2
    python=$(bash -c '. scripts/lib/python.sh && pick_python numpy') || exit 1
    "$python" bench/python_batch.py | tee "$out/python_batch.txt" || status=1
fi
exit $status
