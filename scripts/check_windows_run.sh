#!/usr/bin/env bash
# Runs the 64-bit Windows build (pebble.exe, granite.exe, Tessival.dll) under
# wine and compares it with the Linux build, byte for byte:
#   1. pebble's replies to each engine's commands of a seeded 40-game match,
#      fed from a file and driven one command at a time;
#   2. the same with CRLF line ends, without the last line break, and with
#      TESSIVAL_SEED at 0, 12345, 2^64-1 and a non-number;
#   3. pebble.exe without Tessival.dll: status 1, nothing on standard output,
#      the reason on standard error;
#   4. pebble-match with the Windows pebble as A, as B, and on both sides
#      (40 games at concurrency 2): the records' games equal Linux's;
#   5. granite.exe with --nodes and --seed on the positions of a game.
# Builds what it lacks (build/release for Linux, build/windows-x64), keeps its
# wine prefix and files in build/windows-x64/, and ends that prefix's
# wineserver on every path.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

need_packages cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libssl-dev g++-mingw-w64-x86-64 wine wine64 python3

readonly LINUX=build/release/bin WINDOWS=build/windows-x64/bin WORK=build/windows-x64/run-check
export WINEPREFIX=$PWD/build/windows-x64/wineprefix WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT
trap 'echo "check_windows_run: failed at: $BASH_COMMAND (match output: $WORK/matches.log)" >&2' ERR

start=$SECONDS
echo "== Building the Linux programs (build/release) and the Windows ones (build/windows-x64)"
cmake --preset release >/dev/null
cmake --build --preset release --target pebble granite pebble-match >/dev/null
cmake --workflow --preset windows-x64 >/dev/null
scripts/check_windows_build.sh --x64
rm -rf "$WORK"
mkdir -p "$WORK"
# The prefix is made once; later runs start in about a second.
wineboot --init >/dev/null 2>&1 || true

failed=0
pass() { echo "   ok: $*"; }
fail() {
  echo "check_windows_run: $*" >&2
  failed=1
}
# same LABEL FILE_A FILE_B: the two outputs are byte for byte equal.
same() {
  if cmp -s "$2" "$3"; then
    pass "$1, the same"
  else
    fail "$1 differs: $(cmp "$2" "$3" 2>&1 | head -1)"
  fi
}
# Runs pebble (LINUX or WINDOWS) on a stream file, with its environment.
pebble_linux() { "$LINUX/pebble" <"$1"; }
pebble_windows() { wine "$WINDOWS/pebble.exe" <"$1"; }

echo "== 1. pebble on the command streams of a seeded 40-game match"
# Each engine's standard input is copied to a file as pebble-match writes it.
cat >"$WORK/recording-engine.sh" <<'SH'
#!/bin/sh
tee -a "$1" | exec "$2"
SH
chmod +x "$WORK/recording-engine.sh"
"$LINUX/pebble-match" --games 40 --seed 777 --record "$WORK/linux.jsonl" \
  "name=A $WORK/recording-engine.sh $WORK/A.in $LINUX/pebble" \
  "name=B $WORK/recording-engine.sh $WORK/B.in $LINUX/pebble" >/dev/null 2>>"$WORK/matches.log"
for side in A B; do
  pebble_linux "$WORK/$side.in" >"$WORK/$side.linux"
  pebble_windows "$WORK/$side.in" >"$WORK/$side.windows" || fail "pebble.exe failed on $side.in"
  same "engine $side's $(grep -c '^GO' "$WORK/$side.in") replies, fed from a file" "$WORK/$side.linux" "$WORK/$side.windows"
  python3 scripts/lib/drive_engine.py "$WORK/$side.in" wine "$WINDOWS/pebble.exe" >"$WORK/$side.driven" \
    || fail "pebble.exe failed when driven command by command on $side.in"
  same "engine $side's replies, one command at a time" "$WORK/$side.linux" "$WORK/$side.driven"
done

echo "== 2. Line ends and seeds"
# The first game of engine A.
sed '2,${/^NEWGAME/,$d}' "$WORK/A.in" >"$WORK/game.in"
sed 's/$/\r/' "$WORK/game.in" >"$WORK/crlf.in"
head -c -1 "$WORK/game.in" >"$WORK/unterminated.in"
for input in crlf unterminated; do
  pebble_linux "$WORK/$input.in" >"$WORK/$input.linux"
  pebble_windows "$WORK/$input.in" >"$WORK/$input.windows"
  same "$input input" "$WORK/$input.linux" "$WORK/$input.windows"
done
for seed in 0 12345 18446744073709551615 not-a-number; do
  TESSIVAL_SEED=$seed pebble_linux "$WORK/game.in" >"$WORK/seed-$seed.linux"
  TESSIVAL_SEED=$seed pebble_windows "$WORK/game.in" >"$WORK/seed-$seed.windows"
  same "TESSIVAL_SEED=$seed" "$WORK/seed-$seed.linux" "$WORK/seed-$seed.windows"
done

echo "== 3. pebble.exe without Tessival.dll"
mkdir -p "$WORK/alone"
cp "$WINDOWS/pebble.exe" "$WORK/alone/"
status=0
wine "$WORK/alone/pebble.exe" <"$WORK/game.in" >"$WORK/alone/out" 2>"$WORK/alone/err" || status=$?
if ((status == 1)) && [[ ! -s $WORK/alone/out ]] && grep -q 'Tessival.dll' "$WORK/alone/err"; then
  # The message is Shift-JIS, as the Windows console shows it.
  pass "status 1, no output, $(wc -c <"$WORK/alone/err") bytes on standard error naming Tessival.dll"
else
  fail "without Tessival.dll: status $status, output $(wc -c <"$WORK/alone/out") bytes, errors: $(head -c 300 "$WORK/alone/err")"
fi

echo "== 4. pebble-match with the Windows pebble"
# The games of a record without its header, which names the commands, and
# without the think times the runner measured, which no two runs share.
games() { tail -n +2 "$1" | sed -E 's/,"thinkMs":[-+0-9.eE]+//g'; }
"$LINUX/pebble-match" --games 4 --seed 777 --record "$WORK/linux-4.jsonl" \
  "name=A $LINUX/pebble" "name=B $LINUX/pebble" >/dev/null 2>>"$WORK/matches.log"
"$LINUX/pebble-match" --games 4 --seed 777 --record "$WORK/windows-a.jsonl" \
  "name=A wine $WINDOWS/pebble.exe" "name=B $LINUX/pebble" >/dev/null 2>>"$WORK/matches.log"
"$LINUX/pebble-match" --games 4 --seed 777 --record "$WORK/windows-b.jsonl" \
  "name=A $LINUX/pebble" "name=B wine $WINDOWS/pebble.exe" >/dev/null 2>>"$WORK/matches.log"
"$LINUX/pebble-match" --games 40 --seed 777 --concurrency 2 --record "$WORK/windows.jsonl" \
  "name=A wine $WINDOWS/pebble.exe" "name=B wine $WINDOWS/pebble.exe" >/dev/null 2>>"$WORK/matches.log"
same "4 games, Windows as A" <(games "$WORK/linux-4.jsonl") <(games "$WORK/windows-a.jsonl")
same "4 games, Windows as B" <(games "$WORK/linux-4.jsonl") <(games "$WORK/windows-b.jsonl")
same "40 games of Windows against Windows at concurrency 2" <(games "$WORK/linux.jsonl") <(games "$WORK/windows.jsonl")

echo "== 5. granite.exe"
for options in "--nodes 3000 --seed 7 --eval network" "--nodes 3000 --seed 7 --eval rollout"; do
  # shellcheck disable=SC2086 # the options are words
  "$LINUX/granite" $options <"$WORK/game.in" >"$WORK/granite.linux"
  # shellcheck disable=SC2086
  wine "$WINDOWS/granite.exe" $options <"$WORK/game.in" >"$WORK/granite.windows"
  same "granite $options on $(grep -c '^GO' "$WORK/game.in") positions" "$WORK/granite.linux" "$WORK/granite.windows"
done

echo "== $((SECONDS - start)) s"
((failed == 0)) && echo "check_windows_run: the Windows build under wine answers as the Linux build"
exit "$failed"
