# Sourced by the project's scripts: installs the Debian packages a command needs.
#
#   need_packages PACKAGE...
#
# Asks dpkg-query only, so on a prepared machine nothing reaches apt. Missing
# packages are installed non-interactively with apt-get, as root directly or
# through sudo (asking for a password only at a terminal); where neither is possible it names the packages and the command
# to run, and fails.

package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

need_packages() {
  local missing=() package
  for package in "$@"; do
    package_installed "$package" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0

  local sudo=()
  if ((EUID != 0)); then
    # sudo may ask for a password only when someone is there to type it.
    if ! command -v sudo >/dev/null || ! { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
      echo "These Debian packages are missing: ${missing[*]}" >&2
      echo "Install them as root, then run this again:" >&2
      echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "== Installing Debian packages: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
}
