#!/usr/bin/env bash
# Builds the Debian package, installs it with apt as a user would, tries what
# it installed, and removes it again, checking that nothing is left behind.
# Changes the machine for the length of the run, so it is not part of the
# test suite; needs root (or sudo). Refuses to run over an installed kelvox2.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
installed() { dpkg-query -W -f='${Status}' kelvox2 2>/dev/null | grep -q "install ok installed"; }
if installed; then
  echo "check-package: kelvox2 is installed on this machine already; remove it first" >&2
  exit 2
fi

bash scripts/install-deps.sh
bash scripts/build.sh -DKX_SANITIZE=OFF
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$out" && cpack -G DEB --config "$OLDPWD/build/CPackConfig.cmake" -B "$out" >/dev/null)
deb=$(ls "$out"/kelvox2_*.deb)
echo "check-package: built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"
echo "check-package: depends on $(dpkg-deb -f "$deb" Depends)"
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
# Debian's own checks: no errors (lintian refuses to judge as root without this).
lintian --allow-root --fail-on error "$deb" || fail "lintian finds errors in the package"
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -vx -e '' -e control -e md5sums || true)
[ -z "$scripts" ] || fail "the package carries maintainer scripts it does not need: $scripts"
echo "check-package: lintian finds no errors; no maintainer scripts"

# Removed as a user removes it; purged afterwards so that dpkg keeps no record.
removed=no
remove() {
  if [ "$removed" = no ]; then
    removed=yes
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kelvox2 >/dev/null
  fi
}
purge() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kelvox2 >/dev/null 2>&1 || true; }
trap 'remove; purge; rm -rf "$out"' EXIT

$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
files=$(dpkg -L kelvox2 | while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done)
echo "check-package: installed"
echo "$files" | sed 's/^/  /'

[ "$(command -v kelvox2)" = /usr/bin/kelvox2 ] || fail "kelvox2 is not on the PATH as /usr/bin/kelvox2"
kelvox2 info /usr/lib/vst/Kelvox2.so | grep -q "Name: *Kelvox2" || fail "the installed plug-in does not load"
kelvox2 render /usr/lib/vst/Kelvox2.so demo/demo.mid "$out/demo.wav" --quiet || fail "rendering the demo failed"
[ -s "$out/demo.wav" ] || fail "the demo rendered nothing"
kelvox2 skin export "$out/skin" >/dev/null || fail "skin export failed"
kelvox2 check-skin "$out/skin/Kelvox2Skin.txt" >/dev/null || fail "the exported skin does not check clean"
zcat /usr/share/man/man1/kelvox2.1.gz | groff -man -ww -z || fail "the manual page does not format"
kelvox2 render demo/demo.mid "$out/factory.wav" --fxb /usr/share/kelvox2/presets/factory.fxb --program 3 --quiet ||
  fail "the factory bank does not load"
for f in /usr/lib/vst/Kelvox2.so /usr/bin/kelvox2 /usr/share/kelvox2/presets/factory.fxb; do
  grep -q "$f" /usr/share/doc/kelvox2/README.md || fail "the installed README does not name $f"
done
echo "check-package: the installed tool loads the installed plug-in, renders the demo and a factory sound, exports a clean skin"

remove
if installed; then fail "apt did not remove kelvox2"; fi
left=$(echo "$files" | while read -r f; do if [ -e "$f" ]; then echo "$f"; fi; done)
[ -z "$left" ] || fail "left behind after removal: $left"
state=$(dpkg-query -W -f='${db:Status-Abbrev}' kelvox2 2>/dev/null || true)
case "$state" in ""|un*) ;; *) fail "dpkg still lists kelvox2 after removal ($state)" ;; esac
echo "check-package: removed cleanly, nothing left behind, not even dpkg's record"
