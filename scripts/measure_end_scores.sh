#!/usr/bin/env bash
# Measures how ends are scored in self-play, for granite's win table: plays
# GAMES games of ENGINE against itself through pebble-match (fixed seed) and
# prints, for the side with the hammer, how many ends it scored k in, for
# k = -8 .. 8 (negative: stolen), as the C++ initializer of
# granite/value/end_score_counts.cpp.
#   scripts/measure_end_scores.sh [GAMES [ENGINE]]
#   scripts/measure_end_scores.sh --records RECORD...   (games already played)
# Default: 40 games of "build/bin/granite --think 60".
set -euo pipefail
source "$(dirname "$0")/lib/packages.sh"
need_packages jq
if [[ ${1-} == --records ]]; then
  shift
  records=("$@")
else
  cd "$(dirname "$0")/.."
  games=${1:-40}
  engine=${2:-build/bin/granite --think 60}
  record=$(mktemp)
  trap 'rm -f "$record"' EXIT
  build/bin/pebble-match --games "$games" --seed 2026 --record "$record" "$engine" "$engine" >/dev/null
  records=("$record")
fi
# A record is JSON Lines: the header, then a line per game.
for record in "${records[@]}"; do tail -n +2 "$record"; done | jq -rs '
  [.[].ends[] | select(.complete)
   | (.hammer) as $h | (if $h == "A" then "B" else "A" end) as $o
   | .score[$h] - .score[$o]] as $scores
  | [range(-8; 9) as $k | [$scores[] | select(. == $k)] | length]
  | "{" + (map(tostring) | join(", ")) + "}  // \($scores | length) ends"'
