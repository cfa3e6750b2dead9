#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds a C program against
# the installed library with CMake's find_package and with pkg-config, runs
# both, and checks that the installed engine finds the installed library.
#
#   install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR
#
# CFLAGS and LDFLAGS, when set, are the build's own (a sanitizer build's
# library links only into programs built the same way).
set -euo pipefail
build=$1
consumer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/pebble bin/pebble-match bin/granite include/tessival.h; do
  [[ -e $prefix/$file ]] || { echo "not installed: $file" >&2; exit 1; }
done
library=$(find "$prefix" -name libtessival.so -not -path '*/tessival/*')
[[ -n $library ]] || { echo "not installed: libtessival.so" >&2; exit 1; }

echo "-- find_package(tessival)"
cmake -S "$consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
cmake --build "$work/cmake"
"$work/cmake/throw"

echo "-- pkg-config"
pc=$(dirname "$(find "$prefix" -name tessival.pc)")
read -ra flags < <(PKG_CONFIG_PATH=$pc pkg-config --cflags --libs tessival)
read -ra build_flags <<<"${CFLAGS:-} ${LDFLAGS:-}"
cc -std=c11 -Wall -Werror "${build_flags[@]}" -o "$work/throw" "$consumer/throw.c" "${flags[@]}" -lm
LD_LIBRARY_PATH=$(dirname "$library") "$work/throw"

echo "-- the installed engines load the installed library"
for engine in pebble granite; do
  reply=$(cd / && printf 'ISREADY\n' | env -u LD_LIBRARY_PATH "$prefix/bin/$engine")
  [[ $reply == READYOK ]] || { echo "installed $engine answered '$reply'" >&2; exit 1; }
done

if [[ -n ${PEBBLE_PYTHON:-} ]]; then
  echo "-- the installed Python package imports and throws"
  package=$(dirname "$(find "$prefix" -path '*/tessival/__init__.py')")
  (cd / && env -u LD_LIBRARY_PATH PYTHONPATH="$(dirname "$package")" "$PEBBLE_PYTHON" -c \
    "import tessival; assert tessival.__file__.startswith('$prefix'), tessival.__file__")
fi
