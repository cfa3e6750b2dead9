# Sourced by the project's scripts: finds a Python 3 that has the modules a
# command needs.
#
#   pick_python MODULE...
#
# Prints the first of $PEBBLE_PYTHON, /usr/bin/python3 (Debian's, where its
# python3-* packages go) and the python3 first on PATH that imports every
# MODULE. When none does, says which modules Debian's interpreter lacks and
# the packages that provide them, and returns 1.

python_package() {
  case "$1" in
    torch) echo python3-torch ;;
    numpy) echo python3-numpy ;;
    tqdm) echo python3-tqdm ;;
    matplotlib) echo python3-matplotlib ;;
    *) echo "python3-$1" ;;
  esac
}

python_imports() {
  local interpreter=$1
  shift
  local IFS=,
  "$interpreter" -c "import $*" >/dev/null 2>&1
}

pick_python() {
  local candidates=() candidate module
  [[ -n ${PEBBLE_PYTHON:-} ]] && candidates+=("$PEBBLE_PYTHON")
  candidates+=(/usr/bin/python3)
  command -v python3 >/dev/null && candidates+=("$(command -v python3)")
  for candidate in "${candidates[@]}"; do
    if python_imports "$candidate" "$@"; then
      echo "$candidate"
      return 0
    fi
  done
  echo "No Python 3 here imports all of: $* (tried ${candidates[*]})." >&2
  if [[ ! -x /usr/bin/python3 ]]; then
    echo "  /usr/bin/python3 is missing: Debian package python3" >&2
    return 1
  fi
  for module in "$@"; do
    python_imports /usr/bin/python3 "$module" ||
      echo "  /usr/bin/python3 lacks $module: Debian package $(python_package "$module")" >&2
  done
  return 1
}
