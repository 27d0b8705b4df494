# Shared by the scripts: paths, messages, and installing missing Debian packages.
set -euo pipefail
KALVORY_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export KALVORY_ROOT

say() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Installs every package of scripts/packages.txt that is not installed yet.
install_packages() {
  local wanted missing=()
  mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$KALVORY_ROOT/scripts/packages.txt")
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "Installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q || die "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" \
    || die "could not install ${missing[*]}"
}

# build PRESET [targets...]
build_preset() {
  local preset=$1; shift
  cmake --preset "$preset" -S "$KALVORY_ROOT" >/dev/null || die "cmake configure ($preset) failed"
  cmake --build --preset "$preset" ${1:+--target "$@"} || die "build ($preset) failed"
}
