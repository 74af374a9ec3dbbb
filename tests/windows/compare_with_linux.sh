#!/usr/bin/env bash
# The Windows DLL against the Linux .so: the same probe, built for each
# platform, records what each plug-in answers and renders (among them patches
# that reach every wave, partials, noise, glide, every LFO shape and bends);
# the reports must agree, answers and samples bit for bit.
# Arguments: LINUX_BUILD_DIR WINE_RUNNER WINDOWS_PROBE DLL WORK_DIR
set -euo pipefail
linux_build=$1 runner=$2 windows_probe=$3 dll=$4 work=$5
linux_probe=$linux_build/tests/kx_plugin_probe
linux_plugin=$linux_build/Kelvox2.so
if [ ! -x "$linux_probe" ] || [ ! -f "$linux_plugin" ]; then
  echo "no Linux build with its probe in $linux_build: bash scripts/build.sh -DKX_TESTS=ON first" >&2
  exit 1
fi
mkdir -p "$work"
"$linux_probe" "$linux_plugin" "$work/linux.report"
"$runner" "$windows_probe" "$dll" "$work/windows.report"
"$linux_probe" --compare --exact "$work/linux.report" "$work/windows.report"
