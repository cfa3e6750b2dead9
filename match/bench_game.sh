#!/bin/sh
# Times full games of pebble against pebble: the runner's speed target is an
# 8-end game in under 2 seconds. Usage: match/bench_game.sh [BUILD_DIR [RUNS]]
set -eu
build=${1:-build}
runs=${2:-10}
runner="$build/bin/pebble-match"
[ -x "$runner" ] || { echo "no $runner: build first" >&2; exit 1; }

if command -v hyperfine >/dev/null 2>&1; then
    exec hyperfine --warmup 1 --runs "$runs" "$runner --ends 8"
fi
start=$(date +%s%N)
i=0
while [ "$i" -lt "$runs" ]; do
    "$runner" --ends 8 >/dev/null
    i=$((i + 1))
done
end=$(date +%s%N)
echo "$runs games of 8 ends: $(( (end - start) / runs / 1000000 )) ms per game"
