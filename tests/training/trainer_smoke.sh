#!/usr/bin/env bash
# The whole training pipeline's --smoke run on the programs in BIN, in a fresh
# folder: trainer_smoke.sh BIN. Fails when a step fails or leaves out an output.
set -euo pipefail
bin=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/scripts/train_granite.sh" --smoke --bin "$bin" --work "$work" --concurrency 2
cd "$work/model"
sha256sum --check --quiet value_network.sha256
for output in learning_curve.png history.json validation.json; do
  [[ -s $output ]] || { echo "trainer_smoke: $output is missing or empty" >&2; exit 1; }
done
checks=$(grep -cv '^#' value_network_check.txt)
((checks == 8)) || { echo "trainer_smoke: $checks check positions instead of 8" >&2; exit 1; }
