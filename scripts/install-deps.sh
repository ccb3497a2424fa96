#!/usr/bin/env bash
# Installs the Debian packages Wrenfold needs to build, test and run.
# Does nothing when everything is already there. Packages given as
# arguments are installed too (scripts/package-deps.sh names its own).
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libqt6test6 qt6-qpa-plugins
  libgl-dev
  fonts-dejavu-core fonts-liberation
  xvfb xdotool xauth openbox wmctrl
  libclang-rt-14-dev clang
  libsdl2-dev libphysfs-dev
)
# `make bench` adds what its reader figures compare with; other callers
# (the package check) name the extra packages they need.
if [ "${1:-}" = --bench ]; then
  shift
  packages+=(libphysfs-dev zip)
fi
packages+=("$@")

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  echo "This system has no Debian package tools (dpkg-query, apt-get)." >&2
  echo "Install these packages, or your system's equivalents, then run make again:" >&2
  echo "  ${packages[*]}" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
