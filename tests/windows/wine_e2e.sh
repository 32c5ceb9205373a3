#!/usr/bin/env bash
# volview.exe and volview256.exe under Wine, driven by real X input on the
# display in DISPLAY: the committed pictures (same tolerance as the Linux
# suite: at most 800 pixels off by more than 24 in a channel; the frame-rate
# text's corner is masked, GDI and FreeType shape it differently), digits of
# both keyboards, the close box, and the boxes of a missing program text and
# a missing dataset.   wine_e2e.sh RUN_DIR REFERENCE_DIR
set -uo pipefail
run=$1 refs=$2
wine_run=$(cd "$(dirname "$0")/../../tools/scripts" && pwd)/wine_run.sh
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# start EXE DIR: the viewer in DIR; sets pid and window.
start() {
  (cd "$2" && exec "$wine_run" "$1" >/dev/null 2>&1) & pid=$!
  window=$(timeout 90 xdotool search --sync --name '^volview' | head -1)
}

# shows REFERENCE: waits up to 60 s for the window to match the picture.
shows() {
  local shot=$scratch/shot.png
  for _ in $(seq 60); do
    import -window "$window" -crop 400x400+0+0 +repage -fill black -draw 'rectangle 0,0 160,40' "$shot" 2>/dev/null
    convert "$refs/$1.png" -fill black -draw 'rectangle 0,0 160,40' "$scratch/ref.png"
    local off
    off=$(compare -metric AE -fuzz 9.4% "$shot" "$scratch/ref.png" null: 2>&1)
    [ "${off%%.*}" -le 800 ] 2>/dev/null && return 0
    sleep 1
  done
  cp "$shot" "$scratch/../wine-e2e-$1.png" 2>/dev/null
  fail "the window does not show $1 ($off pixels differ)"
}

# dismissBox TITLE: Return on the viewer's box; sets status to the exit status.
dismissBox() {
  local box
  box=$(timeout 90 xdotool search --sync --name "$1" | head -1)
  [ -n "$box" ] || fail "no box \"$1\""
  xdotool windowfocus "$box" key Return
  wait "$pid"; status=$?
}

scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT

start volview.exe "$run"
xdotool mousemove --window "$window" 0 90
shows both
xdotool windowfocus "$window" key --delay 50 2;          shows isosurface
xdotool windowfocus "$window" key --delay 50 2 1;        shows transparent
xdotool windowfocus "$window" key --delay 50 KP_1 KP_2;  shows isosurface   # Num Lock is on
xdotool windowfocus "$window" key --delay 50 1;          shows both
xdotool windowclose "$window"
wait "$pid"; status=$?
[ "$status" -eq 0 ] || fail "the close box gave status $status"

start volview256.exe "$run"
xdotool mousemove --window "$window" 0 90
shows isosurface-256 2>/dev/null || true
xdotool windowfocus "$window" key --delay 50 2
shows isosurface-256
xdotool windowclose "$window"; wait "$pid"

# A missing program text and a missing dataset: a box, then a failed exit.
mkdir "$scratch/noprog" "$scratch/nodata"
cp "$run"/*.exe "$run"/*.txt "$scratch/nodata/"
cp "$run"/*.exe "$run"/*.txt "$run/skewed_head.dat" "$scratch/noprog/"
rm "$scratch/noprog/fragmentprog.txt"
(cd "$scratch/noprog" && exec "$wine_run" volview.exe >/dev/null 2>&1) & pid=$!
dismissBox 'cannot open'
[ "$status" -eq 1 ] || fail "a missing program text gave status $status, not 1"
(cd "$scratch/nodata" && exec "$wine_run" volview.exe >/dev/null 2>&1) & pid=$!
dismissBox '^ERROR$'
[ "$status" -ne 0 ] || fail "a missing dataset gave status 0"

[ "$failures" -eq 0 ] && echo "wine e2e: all passed"
exit $((failures > 0))
