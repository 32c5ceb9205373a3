#!/usr/bin/env bash
# installed_viewer_test.sh BUILD_DIR (as root): packs BUILD_DIR with cpack,
# installs the .deb with apt (its declared dependencies must be met) and
# starts the installed volview on a private Xvfb from a folder holding only a
# link to the installed dataset: it must find its program texts in the data
# folder and draw. The package is removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
rm -f "$build"/volview*.deb "$build"/volview*.tar.gz
(cd "$build" && cpack >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/volview_*.deb)
tar -tzf "$build"/volview-*.tar.gz | grep '/bin/volview$' >/dev/null
dpkg-deb -f "$deb" Depends | grep libglx0 >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null
work=$(mktemp -d)
trap 'dpkg -r volview >/dev/null; rm -rf "$work"' EXIT
mkdir "$work/run"
ln -s "$(dpkg -L volview | grep '/skewed_head.dat$')" "$work/run/skewed_head.dat"
env -u DISPLAY VOLVIEW_FRAMES=3 timeout 120 "$here/../../tools/scripts/run_viewer.sh" "$work/run" "$(dpkg -L volview | grep '/bin/volview$')" >/dev/null ||
  { echo "installed_viewer_test: the installed viewer did not run to its end" >&2; exit 1; }
colours=$(identify -format %k "$work/volview.png")  # a drawn head has hundreds, an empty window one
echo "installed_viewer_test: $(basename "$deb") installed, its volview drew $colours colours"
[ "$colours" -gt 100 ]
