#!/usr/bin/env bash
# Runs a libFuzzer target for a while: scripts/fuzz.sh TARGET [SECONDS] (default 60).
# TARGET is a fuzzer of fuzz/ (tessival_fuzzer, command_fuzzer, reply_fuzzer) or
# "all" for each in turn. The fuzzers are built with the fuzz preset (clang) in
# build/fuzz. Inputs that find new paths are kept in build/fuzz/corpus/TARGET,
# beside the committed seeds of fuzz/corpus/TARGET; an input that breaks a
# promise or crashes is written to build/fuzz/findings/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(tessival_fuzzer command_fuzzer reply_fuzzer)
target=${1:?usage: scripts/fuzz.sh TARGET|all [SECONDS]}
seconds=${2:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2; exit 2; }

if [[ $target == all ]]; then
  for each in "${targets[@]}"; do scripts/fuzz.sh "$each" "$seconds"; done
  exit 0
fi
[[ " ${targets[*]} " == *" $target "* ]] || { echo "fuzz.sh: no fuzzer '$target' (one of: ${targets[*]}, all)" >&2; exit 2; }

[[ -f build/fuzz/CMakeCache.txt ]] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target"

work=build/fuzz/corpus/$target
findings=build/fuzz/findings
mkdir -p "$work" "$findings"
echo "fuzz.sh: $target for ${seconds}s"
# A throw or a command that takes seconds is a finding: -timeout.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$findings/$target-" "$work" "fuzz/corpus/$target"
