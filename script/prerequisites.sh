# Sourced by the scripts: makes sure the Debian packages they need are there,
# and configures build folders the same way for all of them.
# As root it installs what is missing; otherwise it prints the command to run.

# Sets `missing` to those of the named packages that are not installed.
find_missing() {
  missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
}

install_missing() {
  echo "Installing ${missing[*]} ..."
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
}

require_packages() {
  find_missing "$@"
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  install_missing
}

# Like require_packages, but for optional steps: returns 1, after saying why,
# where the packages are missing and cannot be installed.
offer_packages() {
  find_missing "$@"
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing ${missing[*]}; install them with: sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  install_missing && return 0
  echo "Could not install ${missing[*]}." >&2
  return 1
}

# Configures the build folder $1 with every option of the project set: the
# ones given after it as given, all others at their defaults here. Scripts
# share build/, and a cached choice of one script must not leak into the
# next. MAPJASS_STORMLIB_SOURCE in the environment names a copy of
# StormLib's source for mapjass-build, which is otherwise fetched. Only a
# failure, and the line that says mapjass-build is skipped, are shown.
configure() {
  local folder=$1
  shift
  local log
  if ! log=$(cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release -DMAPJASS_TESTS=OFF \
    -DMAPJASS_BENCH=OFF -DMAPJASS_FUZZ=OFF -DMAPJASS_SANITIZE=OFF -DMAPJASS_WERROR=OFF \
    -DMAPJASS_STORMLIB_SOURCE="${MAPJASS_STORMLIB_SOURCE:-}" "$@" 2>&1); then
    echo "$log" >&2
    return 1
  fi
  grep -o 'mapjass-build is skipped.*' <<<"$log" >&2 || true
}
