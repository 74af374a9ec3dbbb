#!/usr/bin/env bash
# Installs the Debian 12 packages that building, packaging, the demo and the
# tests need, the Windows build and its tests under wine among them.
# With --windows-build, only what the Windows cross build needs
# (scripts/build-windows.sh); with --windows-tests, that and what running its
# tests under wine needs (scripts/test-windows.sh).
# Only what is missing is installed; needs root (or sudo) when something is.
set -euo pipefail

windows_build=(
  cmake ninja-build
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  googletest
)
hosts=(
  xvfb xauth openbox x11-utils python3 python3-xlib
  ardour qtractor jackd2
)
packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxext-dev libxtst-dev libxfixes-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libpng-dev libsndfile1-dev libmpfr-dev
  qemu-user g++-aarch64-linux-gnu
  xvfb xauth openbox locales
  dpkg-dev file groff-base lintian valgrind
  dpf-plugins-vst amsynth
  lv2-dev lilv-utils jalv sordi
  "${windows_build[@]}" wine64
  "${hosts[@]}"
)
windows_tests=("${windows_build[@]}" wine64 xvfb xauth fonts-dejavu-core)
full=1
case "${1:-}" in
  --windows-build) packages=("${windows_build[@]}"); full=0 ;;
  --windows-tests) packages=("${windows_tests[@]}"); full=0 ;;
  --hosts) packages=("${hosts[@]}"); full=0 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Another apt may hold the lock for a while: wait for it.
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

# A decimal-comma locale, for the tests of numbers under a host's locale.
if [ "$full" -eq 1 ] && ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
