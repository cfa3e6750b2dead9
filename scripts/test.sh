#!/usr/bin/env bash
# The quick start's test command: installs what the build and the tests lack,
# then configures, builds everything in build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

need_packages cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libssl-dev \
  libgtest-dev libgmock-dev libbenchmark-dev pkg-config
# Shards run through GNU parallel in the runner's tests.
need_packages parallel

# The value network's trainer and its smoke run (tests/training).
need_packages python3-torch python3-numpy python3-tqdm python3-matplotlib

# The Python package tessival, its tests, and its install by pip into a virtual environment.
need_packages python3-dev python3-numpy python3-pybind11 python3-pytest python3-venv python3-pip

# The viewer's browser tests: Debian's chromium and node, puppeteer-core from npm.
need_packages chromium nodejs
command -v npm >/dev/null || need_packages npm
if [[ tests/browser/package-lock.json -nt tests/browser/node_modules/.package-lock.json ]]; then
  echo "== Installing the browser tests' node modules (npm ci in tests/browser)"
  npm ci --prefix tests/browser --no-audit --no-fund
fi

echo "== Configuring (build/)"
cmake --preset default >/dev/null
echo "== Building everything"
cmake --build --preset default
echo "== Running every test"
ctest --preset default -j "$(nproc)"
