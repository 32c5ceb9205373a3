#!/usr/bin/env bash
# installed_viewer_test.sh BUILD_DIR (as root): packs BUILD_DIR with cpack,
# installs the .deb with apt (its declared dependencies must be met) and
# starts the installed volview with no argument on a private Xvfb from an
# empty folder: it must find its program texts and the default dataset in
# the data folder and draw. The package is removed at the end.
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
trap 'dpkg -r volview >/dev/null 2>&1; rm -rf "$work"' EXIT
dpkg -L volview | grep '/share/volview/skewed_head.dat$' >/dev/null ||
  { echo "installed_viewer_test: $(basename "$deb") holds no default dataset" >&2; exit 1; }
mkdir "$work/run"
env -u DISPLAY VOLVIEW_FRAMES=3 timeout 120 "$here/../../tools/scripts/run_viewer.sh" "$work/run" "$(dpkg -L volview | grep '/bin/volview$')" >/dev/null ||
  { echo "installed_viewer_test: the installed viewer did not run to its end" >&2; exit 1; }
colours=$(identify -format %k "$work/volview.png")  # a drawn head has hundreds, an empty window one
echo "installed_viewer_test: $(basename "$deb") installed, its volview drew $colours colours"
[ "$colours" -gt 100 ]
