#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# as root or through sudo. Packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev libgl-dev libx11-dev libxtst-dev
  qt6-qpa-plugins fonts-dejavu-core
  xvfb xauth xdotool xinput x11-utils x11-xserver-utils python3
  openssl imagemagick time
  libsodium-dev libmagic-dev libssl-dev age openbox
  qt6-svg-dev qt6-translations-l10n clang-format clang clang-tidy lld ninja-build libclang-rt-14-dev util-linux
  dpkg-dev file desktop-file-utils appstream groff-base man-db bash-completion librsvg2-bin
  lintian libxml2-utils shared-mime-info libglib2.0-bin python3-gi
  weston qt6-wayland python3-pyatspi at-spi2-core dbus-daemon
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
