#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (and any named as arguments),
# only those that are missing.
set -euo pipefail
PKGS=(cmake ninja-build g++ clang ccache pkg-config qt6-base-dev qt6-serialport-dev
      libqt6serialport6-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
      libgl1-mesa-dev xvfb xauth desktop-file-utils poppler-utils "$@")
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
