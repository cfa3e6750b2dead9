#!/usr/bin/env bash
# The whole training pipeline's --smoke run on the programs in BIN, in a fresh
# folder: trainer_smoke.sh BIN. Fails when a step fails or leaves out an output,
# or when the second round did not play with the first round's network.
set -euo pipefail
bin=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/scripts/train_granite.sh" --smoke --bin "$bin" --work "$work" --concurrency 2
grep -q -- "--weights $work/round-1/model/value_network.bin" "$work/round-2/records/shard-1.jsonl" ||
  { echo "trainer_smoke: round 2 did not play with round 1's weights" >&2; exit 1; }
cd "$work/round-2/model"
sha256sum --check --quiet value_network.sha256
for output in learning_curve.png history.json validation.json; do
  [[ -s $output ]] || { echo "trainer_smoke: $output is missing or empty" >&2; exit 1; }
done
checks=$(grep -cv '^#' value_network_check.txt)
((checks == 8)) || { echo "trainer_smoke: $checks check positions instead of 8" >&2; exit 1; }
