# Shared by the two set-up commands: install what is missing, then build.
# Sourced, not run.

SKIFF_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SKIFF_BUILD="${SKIFF_BUILD:-$SKIFF_ROOT/build}"

SKIFF_PACKAGES=(
  g++ make cmake pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-webengine-dev
  libcurl4-openssl-dev libssl-dev curl
  python3 python3-pyftpdlib python3-openssl openssl qtkeychain-qt6-dev
  libsecret-1-0 dbus-daemon gnome-keyring
  xvfb xauth fonts-dejavu-core
  dpkg-dev desktop-file-utils
)

skiff_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

skiff_install_packages() {
  local missing=()
  for package in "${SKIFF_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  skiff_as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive skiff_as_root apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

skiff_build() {
  cmake -S "$SKIFF_ROOT" -B "$SKIFF_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$SKIFF_BUILD" --parallel "$(nproc)" "$@"
}
