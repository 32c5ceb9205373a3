#!/usr/bin/env bash
# run_viewer.sh RUN_DIR [EXECUTABLE]  (a name in RUN_DIR or an absolute path)
# Runs the viewer in RUN_DIR. On a desktop it simply runs. Without a display
# it starts a private Xvfb, lets the viewer render with the head turned to
# face the camera until its overlay shows a measured frame rate (120 frames,
# so not the start-up's), saves a screenshot of the window as
# RUN_DIR/../volview.png, closes the window through its close box and
# prints where the picture is. VOLVIEW_KEYS (xdotool key names, e.g. "2")
# are typed once the head is turned, and VOLVIEW_PICTURE names another
# picture file: together they make the README's screenshots. VOLVIEW_FRAMES
# sets how many frames to wait for instead of 121.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run_dir=$(cd "$1" && pwd)
exe=${2:-volview}
case $exe in /*) ;; *) exe=./$exe ;; esac  # a path of its own, or one in RUN_DIR
cd "$run_dir"
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe"
fi

# Xvfb writes the display number it chose once it accepts connections.
numberFile=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 640x480x24 -nolisten tcp 3>"$numberFile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$numberFile"' EXIT
for _ in $(seq 50); do [ -s "$numberFile" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$numberFile")

"$exe" &
viewer=$!
for _ in $(seq 50); do
  window=$(xdotool search --name '^test$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "${window:-}" ]; then
  wait "$viewer"
  exit $?
fi
# One pixel of pointer movement is one degree of turn: (0, 90) faces the camera.
xdotool mousemove --window "$window" 0 90
[ -z "${VOLVIEW_KEYS:-}" ] || xdotool key --window "$window" ${VOLVIEW_KEYS}
if ! "$here/wait_for_frames.py" test "${VOLVIEW_FRAMES:-121}" 180; then
  echo "run_viewer: the viewer did not show a measured frame rate in time; the screenshot shows what it had" >&2
fi
picture=${VOLVIEW_PICTURE:-$(dirname "$run_dir")/volview.png}
import -window "$window" "$picture"
"$here/close_window.py" test
status=0
wait "$viewer" || status=$?
echo "run_viewer: the viewer ended with status $status; a screenshot is in $picture"
exit "$status"
