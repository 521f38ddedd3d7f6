#!/usr/bin/env bash
# Installs the Debian packages the project needs. Quiet and quick when they are all there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  linux-libc-dev
  python3 python3-pyvisa-py lxi-tools
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3
  fonts-liberation fonts-dejavu-core fonts-wqy-microhei
  locales
)

# A locale with a decimal comma, so the tests can show that readings never depend on the user's.
need_locale() { ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  if need_locale; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
  fi
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
need_locale && $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
