#!/usr/bin/env bash
# Soak test: pebble against pebble through pebble-match for many games, sampling
# the memory of the runner and of every engine process from /proc meanwhile.
#
#   scripts/soak.sh [GAMES [ENDS]]        (defaults: 200 games of 8 ends)
#
# Uses build/bin/pebble-match and build/bin/pebble (cmake --workflow --preset
# default builds them). Passes when every game reached a result without a
# forfeit, the runner exited with status 0, the runner's resident memory grew
# by at most SOAK_RUNNER_SLACK_KB (default 2048) from the end of the first tenth
# of the games to the end, and no engine of the last tenth peaked more than
# SOAK_ENGINE_SLACK_KB (default 1024) above the engines of the first tenth.
# Samples and the runner's output are kept in build/soak/.
set -euo pipefail
cd "$(dirname "$0")/.."

games=${1:-200}
ends=${2:-8}
runner_slack=${SOAK_RUNNER_SLACK_KB:-2048}
engine_slack=${SOAK_ENGINE_SLACK_KB:-1024}
for value in "$games" "$ends"; do
  [[ $value =~ ^[1-9][0-9]*$ ]] || { echo "soak.sh: GAMES and ENDS are positive whole numbers, not '$value'" >&2; exit 2; }
done
runner=build/bin/pebble-match
[[ -x $runner && -x build/bin/pebble ]] || { echo "soak.sh: build first: cmake --workflow --preset default" >&2; exit 2; }

out=build/soak
mkdir -p "$out"
samples=$out/samples.tsv
: >"$samples"

# Prints "VmRSS VmHWM" in kB of a process, nothing when it has gone.
memory_of() {
  local key value rest rss='' hwm=''
  while read -r key value rest; do
    case $key in
      VmRSS:) rss=$value ;;
      VmHWM:) hwm=$value ;;
    esac
  done 2>/dev/null <"/proc/$1/status" || return 0
  [[ -n $rss && -n $hwm ]] && echo "$rss $hwm"
}

# The game the runner is playing: one more than the progress lines it has written.
current_game() {
  local done_games
  done_games=$(grep -c '^game [0-9]* of ' "$out/runner.err" || true)
  echo $((done_games < games ? done_games + 1 : games))
}

started=$(date +%s)
"$runner" --games "$games" --ends "$ends" >"$out/runner.out" 2>"$out/runner.err" &
runner_pid=$!

# One line per sample: seconds, game, process (runner or the engine's pid), VmRSS, VmHWM.
while kill -0 "$runner_pid" 2>/dev/null; do
  now=$(($(date +%s) - started))
  game=$(current_game)
  if reading=$(memory_of "$runner_pid") && [[ -n $reading ]]; then
    echo "$now $game runner $reading" >>"$samples"
  fi
  for child in $(cat "/proc/$runner_pid/task/$runner_pid/children" 2>/dev/null); do
    if reading=$(memory_of "$child") && [[ -n $reading ]]; then
      echo "$now $game $child $reading" >>"$samples"
    fi
  done
  sleep 0.1
done
status=0
wait "$runner_pid" || status=$?
elapsed=$(($(date +%s) - started))

failed=0
fail() { echo "soak.sh: FAILED: $*" >&2; failed=1; }

((status == 0)) || fail "pebble-match exited with status $status"
if grep -q 'forfeits' "$out/runner.err"; then
  fail "a game was forfeited: $(grep -m1 'forfeits' "$out/runner.err")"
fi
results=$(grep -c '^game [0-9]* of ' "$out/runner.err" || true)
((results == games)) || fail "$results of $games games reached a result"

# Memory: the runner at the end of the first tenth and at the end; the highest
# peak of any engine in the first and in the last tenth of the games.
tenth=$(((games + 9) / 10))
read -r runner_early runner_late runner_peak engine_early engine_late engine_count < <(awk -v tenth="$tenth" -v games="$games" '
  $3 == "runner" { if ($2 <= tenth + 1) early = $4; late = $4; if ($5 > peak) peak = $5; next }
  { if (!($3 in seen)) { seen[$3] = 1; count++ }
    if ($2 <= tenth && $5 > engineEarly) engineEarly = $5
    if ($2 > games - tenth && $5 > engineLate) engineLate = $5 }
  END { printf "%d %d %d %d %d %d\n", early, late, peak, engineEarly, engineLate, count }' "$samples")

echo "soak.sh: $games games of $ends ends in ${elapsed}s, $engine_count engine processes sampled"
echo "  runner VmRSS after game $tenth: ${runner_early} kB; at the end: ${runner_late} kB; VmHWM ${runner_peak} kB"
echo "  engine VmHWM, highest in games 1-$tenth: ${engine_early} kB; in games $((games - tenth + 1))-$games: ${engine_late} kB"
((runner_early > 0 && engine_early > 0 && engine_late > 0)) || fail "too few memory samples (see $samples)"
((runner_late - runner_early <= runner_slack)) \
  || fail "the runner grew by $((runner_late - runner_early)) kB (allowed $runner_slack kB)"
((engine_late - engine_early <= engine_slack)) \
  || fail "late engines peaked $((engine_late - engine_early)) kB above early ones (allowed $engine_slack kB)"
((failed == 0)) && echo "soak.sh: passed"
exit "$failed"
