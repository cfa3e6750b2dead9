#!/usr/bin/env bash
# Checks the tree's own C and C++ sources against .clang-format with
# clang-format 14, the version CI installs, and changes nothing. Names every
# file that differs and exits 1; `clang-format-14 -i FILE...` applies the style.
# Only files git tracks are checked, so build/ (generated sources included) and
# node_modules/ stay out.
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $format ]] || ! "$format" --version | grep -q 'version 14\.'; then
  echo "check_format: clang-format 14 is needed (Debian 12: apt-get install clang-format)" >&2
  exit 2
fi

mapfile -t sources < <(git ls-files -- '*.c' '*.cpp' '*.h' ':!:**/node_modules/**')
differing=()
for source in "${sources[@]}"; do
  "$format" --style=file --dry-run --Werror "$source" 2>/dev/null || differing+=("$source")
done

if ((${#differing[@]})); then
  echo "check_format: ${#differing[@]} of ${#sources[@]} files differ from .clang-format:" >&2
  printf '  %s\n' "${differing[@]}" >&2
  exit 1
fi
echo "check_format: all ${#sources[@]} C and C++ sources follow .clang-format"
