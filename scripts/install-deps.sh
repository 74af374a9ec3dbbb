#!/usr/bin/env bash
# Installs the Debian 12 packages that building, the demo and the tests need.
# Only what is missing is installed; needs root (or sudo) when something is.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxext-dev libxtst-dev libxfixes-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libpng-dev libsndfile1-dev
  xvfb xauth
  dpf-plugins-vst amsynth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
