#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it may not reach: the
# layers and what each may include are those of ARCHITECTURE.md. Only the
# products' folders are checked; tests, benchmarks and fuzzers sit on top of
# everything.
set -euo pipefail
cd "$(dirname "$0")/.."

# Products in folders of their own, bottom to top: each may include those
# before it; the product's top files (main.cpp and the like) may include all.
declare -A SUBLAYERS=(
  [granite]="value search learn"
  [match]="protocol process statistics game setup record schedule summary pictures viewer check run"
)

# Outside those folders: what each may include besides itself.
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
  [match]="interface rules"
)

# The layer of a file: "interface" for the library's public header,
# "PRODUCT/FOLDER" or "PRODUCT/top" inside a layered product, else its top folder.
layer_of() {
  local path=$1 top=${1%%/*}
  if [[ $path == physics/tessival.h ]]; then
    echo interface
  elif [[ -n ${SUBLAYERS[$top]-} ]]; then
    local rest=${path#"$top"/}
    [[ $rest == */* ]] && echo "$top/${rest%%/*}" || echo "$top/top"
  else
    echo "$top"
  fi
}

# The layers a layer may include, its own among them.
allowed_for() {
  local layer=$1 top=${1%%/*}
  local allowed="$layer ${MAY_INCLUDE[$top]-}" name
  [[ -z ${SUBLAYERS[$top]-} ]] && { echo "$allowed"; return; }
  for name in ${SUBLAYERS[$top]}; do
    [[ $layer == "$top/$name" ]] && break
    allowed+=" $top/$name"
  done
  echo "$allowed"
}

# Every project header, by the names it is included with: its base name and,
# inside a layered product, its path below the product's folder.
declare -A HEADER_LAYER=()
while IFS= read -r header; do
  layer=$(layer_of "$header")
  top=${header%%/*}
  HEADER_LAYER[$(basename "$header")]=$layer
  [[ -n ${SUBLAYERS[$top]-} ]] && HEADER_LAYER[${header#"$top"/}]=$layer
done < <(find physics rules platform engine simulator analysis strategy pebble granite match -name '*.h' | sort)
HEADER_LAYER[viewer_assets.h]=match/viewer  # generated from viewer/page/
HEADER_LAYER[network_weights.h]=granite/value  # generated from value/weights/

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
