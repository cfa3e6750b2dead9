#!/usr/bin/env bash
# Installs the package with pip as the README says, from a copy of the
# sources, into a virtual environment of the given interpreter that sees its
# system packages (Debian's numpy and pybind11), then imports it from
# elsewhere and throws a stone with it.
#
#   pip_install_test.sh PYTHON SOURCE_DIR
set -euo pipefail
python=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "-- copying the sources"
mkdir "$work/src"
git -C "$source" ls-files -z --cached --others --exclude-standard |
  (cd "$source" && xargs -0 cp --parents -t "$work/src" 2>/dev/null || true)
[[ -f $work/src/setup.py ]] || { echo "the copy lacks setup.py" >&2; exit 1; }

echo "-- a virtual environment of $python"
"$python" -m venv --system-site-packages "$work/venv"
echo "-- pip install --no-build-isolation ."
(cd "$work/src" && "$work/venv/bin/pip" install --no-build-isolation --no-index --quiet .)

echo "-- the installed package"
cd /
"$work/venv/bin/python" - <<'PY'
import numpy as np
import tessival
assert "site-packages" in tessival.__file__, tessival.__file__
print("tessival from", tessival.__file__)
PY
