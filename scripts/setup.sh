#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the viewer and the
# tests need and this machine lacks. Does nothing when all is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config lld
  qt6-base-dev qt6-serialport-dev libgl-dev
  # The instruments' history: Qt SQL's SQLite and PostgreSQL drivers, and the
  # PostgreSQL server the tests start on a Unix socket of their own.
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  libqcustomplot-dev libqcustomplot2.1-qt6
  # Liberation Mono stands in for "Courier New" (same metrics): the printouts'
  # lines and page breaks then match on every machine.
  fonts-liberation fonts-dejavu-core
  xvfb xauth x11-utils
  poppler-utils
  clang libclang-rt-14-dev
  dpkg-dev file desktop-file-utils
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
