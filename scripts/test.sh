#!/usr/bin/env bash
# The quick start's test command: installs what the build and the tests lack,
# then configures, builds everything in build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

need_packages cmake ninja-build g++ libcli11-dev nlohmann-json3-dev \
  libgtest-dev libgmock-dev libbenchmark-dev pkg-config

echo "== Configuring (build/)"
cmake --preset default >/dev/null
echo "== Building everything"
cmake --build --preset default
echo "== Running every test"
ctest --preset default -j "$(nproc)"
