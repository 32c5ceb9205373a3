#!/usr/bin/env bash
# installed_viewer_test.sh BUILD_DIR
# Packs BUILD_DIR with cpack (.deb and .tar.gz), installs the .deb with apt
# (which also checks its declared dependencies) and starts the installed
# volview from an empty folder on a private Xvfb: it must find its program
# texts in the installed data folder and draw the installed dataset. The
# package is removed again at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: installed_viewer_test.sh BUILD_DIR}" && pwd)
fail() { echo "installed_viewer_test: $*" >&2; exit 1; }

rm -f "$build"/volview*.deb "$build"/volview*.tar.gz
(cd "$build" && cpack >/dev/null)
deb=$(ls "$build"/volview_*.deb)
tar -tzf "$build"/volview-*.tar.gz | grep -q '/bin/volview$' || fail "the .tar.gz holds no bin/volview"
dpkg-deb -f "$deb" Depends | grep -q 'libgl1' || fail "the .deb does not declare libGL: $(dpkg-deb -f "$deb" Depends)"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends --reinstall "$deb" >/dev/null
work=$(mktemp -d)
chmod 755 "$work"
trap '$sudo dpkg -r volview >/dev/null; rm -rf "$work"' EXIT
viewer=$(dpkg -L volview | grep '/bin/volview$')
dataset=$(dpkg -L volview | grep '/skewed_head.dat$') || fail "the .deb holds no default dataset"

# The run folder holds only a link to the dataset: the texts come from the package.
mkdir "$work/run"
ln -s "$dataset" "$work/run/skewed_head.dat"
env -u DISPLAY timeout 180 "$here/../../tools/scripts/run_viewer.sh" "$work/run" "$viewer" >/dev/null ||
  fail "the installed viewer did not run to its end"
# A drawn head has hundreds of colours; an empty or error window a handful.
colours=$(identify -format %k "$work/volview.png")
[ "$colours" -gt 100 ] || fail "the installed viewer drew $colours colours only"
echo "installed_viewer_test: $(basename "$deb") installed, volview drew $colours colours"
