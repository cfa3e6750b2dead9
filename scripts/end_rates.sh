#!/usr/bin/env bash
# Prints the play rates of a pebble-match record over all its complete ends,
# from the side with the hammer: hammer efficiency (two or more, of the
# non-blank ends), blank ends and steals (as shares of all ends). Unlike the
# match summary's per-engine rows it also counts self-play, where both sides
# are the same engine.
#   scripts/end_rates.sh RECORD
set -euo pipefail
# shellcheck source=scripts/lib/packages.sh
source "$(dirname "$0")/lib/packages.sh"
need_packages jq
# The record is JSON Lines (the header, then a line per game); a record of the
# older single-document form holds its games in .games.
jq -rs '
  def share($part; $whole): if $whole > 0 then (1000 * $part / $whole | round) / 10 else 0 end;
  (if length == 1 and (.[0] | has("games")) then .[0].games else .[1:] end) as $games
  | [$games[].ends[] | select(.complete)
   | (.hammer) as $h | (if $h == "A" then "B" else "A" end) as $o
   | .score[$h] - .score[$o]] as $scores
  | ($scores | length) as $ends
  | ([$scores[] | select(. != 0)] | length) as $nonBlank
  | ([$scores[] | select(. >= 2)] | length) as $twoPlus
  | ([$scores[] | select(. == 0)] | length) as $blanks
  | ([$scores[] | select(. < 0)] | length) as $steals
  | "ends \($ends)  hammer efficiency \($twoPlus)/\($nonBlank) \(share($twoPlus; $nonBlank))%" +
    "  blank \($blanks)/\($ends) \(share($blanks; $ends))%  steal \($steals)/\($ends) \(share($steals; $ends))%"' "$1"
