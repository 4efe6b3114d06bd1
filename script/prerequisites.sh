# Sourced by the scripts: makes sure the Debian packages they need are there.
# As root it installs what is missing; otherwise it prints the command to run.

require_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

# Like require_packages, but for optional steps: returns 1, after saying why,
# where the packages are missing and cannot be installed.
offer_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    if apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null; then
      return 0
    fi
    echo "Could not install ${missing[*]}." >&2
  else
    echo "Missing ${missing[*]}; install them with: sudo apt-get install -y ${missing[*]}" >&2
  fi
  return 1
}
