#!/usr/bin/env bash
# The quick start's demo: installs what the build lacks, builds pebble, the
# physics library and pebble-match (no tests), and plays one 8-end game of
# pebble against pebble. The line score goes to the terminal; the viewer page,
# the pictures and the game record go to build/demo/, named on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

need_packages cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libssl-dev

echo "== Configuring (build/release)"
cmake --preset release >/dev/null
echo "== Building pebble, tessival and pebble-match"
cmake --build --preset release --target pebble pebble-match

out=build/demo
rm -rf "$out"
mkdir -p "$out"
echo "== Playing pebble against pebble, one game of 8 ends"
build/release/bin/pebble-match --svg "$out" --record "$out/game.jsonl" --html "$out/game.html"

ends=$(find "$out" -name 'game1-end*.svg' | wc -l)
echo "Wrote the viewer page $out/game.html, the record $out/game.jsonl, the overview $out/game1-overview.svg and $ends end pictures $out/game1-endNN.svg"
