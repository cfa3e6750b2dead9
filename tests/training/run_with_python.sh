#!/usr/bin/env bash
# Runs a check of the value network's trainer under the Python that has its
# modules: run_with_python.sh COMMAND ARGUMENT..., with the interpreter in
# $PEBBLE_PYTHON, and in place of a COMMAND of "python". Exits with 77 (CTest's
# skip) and says why when there is none.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/python.sh"
if ! PEBBLE_PYTHON=$(pick_python torch numpy tqdm matplotlib); then
  echo "Skipped: no Python 3 with torch, numpy, tqdm and matplotlib (scripts/test.sh installs them)"
  exit 77
fi
export PEBBLE_PYTHON
[[ $1 == python ]] && set -- "$PEBBLE_PYTHON" "${@:2}"
exec "$@"
