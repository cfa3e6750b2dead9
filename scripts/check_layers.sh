#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it may not reach: the
# layers and what each may include are those of ARCHITECTURE.md. Only the
# products' folders are checked; tests, benchmarks and fuzzers sit on top of
# everything.
set -euo pipefail
cd "$(dirname "$0")/.."

# The match runner's folders, bottom to top: each may include those before it.
MATCH_LAYERS=(protocol process statistics game setup record schedule summary pictures viewer run)

# Outside match/: what each folder may include besides itself.
declare -A MAY_INCLUDE=(
  [interface]=""
  [rules]="interface"
  [physics]="interface rules"
  [platform]=""
  [engine]="interface platform"
  [simulator]="interface platform"
  [analysis]="interface rules engine"
  [strategy]="interface rules engine simulator analysis"
  [pebble]="interface platform engine simulator strategy"
  [granite]="interface rules platform engine"
)

# The layer of a file: "interface" for the library's public header,
# "match/NAME" for a folder of the runner, else its top folder.
layer_of() {
  local path=$1
  case $path in
    physics/tessival.h) echo interface ;;
    match/main.cpp) echo match/main ;;
    match/*/*) local rest=${path#match/}; echo "match/${rest%%/*}" ;;
    *) echo "${path%%/*}" ;;
  esac
}

# The folders a layer may include, its own among them.
allowed_for() {
  local layer=$1
  if [[ $layer == match/* ]]; then
    local own=${layer#match/} allowed="interface rules $layer" name
    for name in "${MATCH_LAYERS[@]}"; do
      [[ $name == "$own" ]] && break
      allowed+=" match/$name"
    done
    [[ $own == main ]] && allowed+=" match/run"
    echo "$allowed"
    return
  fi
  echo "$layer ${MAY_INCLUDE[$layer]-}"
}

# Every project header, by the names it is included with: its base name and,
# inside match/, its path below match/.
declare -A HEADER_LAYER=()
while IFS= read -r header; do
  layer=$(layer_of "$header")
  HEADER_LAYER[$(basename "$header")]=$layer
  [[ $header == match/*/* ]] && HEADER_LAYER[${header#match/}]=$layer
done < <(find physics rules platform engine simulator analysis strategy pebble granite match -name '*.h' | sort)
HEADER_LAYER[viewer_assets.h]=match/viewer  # generated from viewer/page/

failures=0
while IFS= read -r source; do
  layer=$(layer_of "$source")
  allowed=" $(allowed_for "$layer") "
  while IFS= read -r included; do
    target=${HEADER_LAYER[$included]-}
    if [[ -z $target ]]; then
      echo "$source: includes \"$included\", which is no header of the project" >&2
      failures=$((failures + 1))
    elif [[ $allowed != *" $target "* ]]; then
      echo "$source ($layer) includes \"$included\" ($target)" >&2
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$source")
done < <(find physics rules platform engine simulator analysis strategy pebble granite match \
  \( -name '*.cpp' -o -name '*.h' \) | sort)

if ((failures)); then
  echo "check_layers: $failures include(s) reach a layer they may not" >&2
  exit 1
fi
echo "check_layers: every include stays within its layer"
