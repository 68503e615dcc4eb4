#!/usr/bin/env bash
# Installs every Debian package Pivane needs to build, run and test. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang clang-format
  libsqlite3-dev sqlite3 libhidapi-dev zlib1g-dev libpugixml-dev
  libgtk-3-dev libpng-dev libudev-dev libcurl4-openssl-dev libpulse-dev libkissfft-dev libxtst-dev
  fonts-open-sans fonts-wqy-microhei
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libayatana-appindicator3-dev libsodium-dev
  xvfb xauth xdotool imagemagick pulseaudio pulseaudio-utils python3
  appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
