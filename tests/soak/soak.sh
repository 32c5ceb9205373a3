#!/usr/bin/env bash
# soak.sh [--exe volview|volview256] [--frames N] [--run-dir DIR] [--out DIR]
# Runs the viewer of RUN_DIR (default: build-asan/run, the sanitizer build,
# with the program texts and the default dataset) under a private Xvfb for at
# least N frames (default 2000) while a storm of real input reaches it
# through the X server: pointer motion, left and right presses and double
# clicks, '1' '2' '3', keypad digits with Num Lock, other characters, window
# resizes. On the way the isosurface threshold is walked below 0 and above 1
# (36 left presses, then 140 right presses), with a screenshot at each end.
# Finally the window is closed through its close box.
#
# Frames are counted from outside by frame_counter.py (each frame puts the
# whole image onto the window); N does not include the frames drawn with
# both passes off while the threshold walk's presses are worked off. Passes when the viewer ends with status 0,
# with no sanitizer report (leaks included) on standard error, and with its
# resident memory at the end no more than 16 MiB above the figure at frame
# 200. Prints one summary line; keeps the logs and screenshots in OUT
# (default: a fresh temporary folder). Exit status 77 when RUN_DIR lacks the
# viewer or the dataset (nothing to soak), 1 on failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=volview
frames=2000
run_dir=$root/build-asan/run
out=
while [ $# -gt 0 ]; do
  case "$1" in
    --exe) exe=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    --run-dir) run_dir=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: soak.sh [--exe NAME] [--frames N] [--run-dir DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
run_dir=$(cd "$run_dir" && pwd)
if [ ! -x "$run_dir/$exe" ] || [ ! -f "$run_dir/skewed_head.dat" ]; then
  echo "soak: $run_dir has no $exe or no skewed_head.dat; nothing to soak" >&2
  exit 77
fi
[ -n "$out" ] || out=$(mktemp -d /tmp/volview-soak-XXXXXX)
mkdir -p "$out"
rm -f "$out/frames" "$out"/*.png "$out/summary.txt"  # nothing from an earlier run
growth_limit_kib=$((16 * 1024))

fail() { echo "soak: FAIL: $*" >&2; exit 1; }

# ---- a private X server (-noreset: it must not reset between clients)
xvfb=
for attempt in $(seq 0 30); do
  number=$((400 + ($$ * 7 + attempt * 13) % 500))
  Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    kill -0 "$xvfb" 2>/dev/null || break
    [ "$(DISPLAY=:$number xdotool getdisplaygeometry 2>/dev/null)" = "1024 768" ] && break 2
    sleep 0.05
  done
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=
done
[ -n "$xvfb" ] || fail "no X server would start"
export DISPLAY=:$number
viewer=
counter=
# Stops whatever is still running; never changes the script's own status.
cleanup() {
  if [ -n "$viewer" ]; then kill -9 "$viewer" 2>/dev/null || true; fi
  if [ -n "$counter" ]; then kill "$counter" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap 'status=$?; cleanup; exit $status' EXIT

# ---- the viewer, with leak checking and third-party suppressions
(
  cd "$run_dir"
  # A small quarantine: freed blocks (Mesa frees some every frame) would
  # otherwise be held back up to 256 MiB and the resident memory would climb
  # without any leak. Use-after-free of recent blocks is still caught.
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:quarantine_size_mb=16:thread_local_quarantine_size_kb=256
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1
  exec "./$exe"
) >"$out/viewer.out" 2>"$out/viewer.err" &
viewer=$!
started=$SECONDS

alive() { kill -0 "$viewer" 2>/dev/null; }
for _ in $(seq 600); do
  alive || fail "the viewer ended during start-up: $(tail -3 "$out/viewer.err")"
  window=$(xdotool search --name '^test$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && grep -q "finishing initialisation" "$out/viewer.out" && break
  sleep 0.2
done
[ -n "${window:-}" ] || fail "no window after two minutes"
/usr/bin/python3 "$here/frame_counter.py" test "$out/frames" 2>"$out/counter.err" &
counter=$!
for _ in $(seq 100); do [ -s "$out/frames" ] && break; sleep 0.1; done

count() { cat "$out/frames" 2>/dev/null || echo 0; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$viewer/status"; }
# A batch of input: begin_batch, send (each sender adds the messages it
# queues to $messages), settle. The viewer takes one message a frame, so
# once as many frames as messages have passed since the batch began, and ten
# more after the last one was sent, the batch has been worked off and drawn.
begin_batch() {
  messages=0
  batch_start=$(count)
}
settle() {
  local now target waited=0
  now=$(count)
  target=$((batch_start + messages))
  [ "$target" -gt "$now" ] || target=$now
  target=$((target + 10))
  while [ "$(count)" -lt "$target" ]; do
    alive || fail "the viewer ended during the storm: $(tail -5 "$out/viewer.err")"
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 3000 ] || fail "no frames for five minutes (at frame $(count))"
  done
}

# The pass switches toggle on '1', '2', '3' (also from the keypad with Num
# Lock on). The storm sends every toggling key twice, frames apart, so the
# passes change under the storm but end each round as they began. Only
# passes() changes them for good.
iso=1 transp=1  # as the viewer starts: both passes on
press() {  # press KEYSYM...: typed keys, through XTEST to the window under the pointer
  local key
  xdotool mousemove --window "$window" 5 5
  messages=$((messages + 1))
  for key in "$@"; do
    xdotool key "$key" 2>/dev/null
    messages=$((messages + 3))  # key down, character, key up
  done
}
passes() {  # passes ISO TRANSP
  [ "$iso" = "$1" ] || { press 1; iso=$1; }
  [ "$transp" = "$2" ] || { press 2; transp=$2; }
}
click_at() {  # click_at X Y BUTTON: one press that counts (moved, so no double click)
  xdotool mousemove --window "$window" "$1" "$2" click "$3"
  messages=$((messages + 3))
}

xdotool mousemove --window "$window" 5 5 key Num_Lock 2>/dev/null  # keypad digits are characters from here on
toggles=(1 2 3 KP_1 KP_2 KP_3)
others=(a z space 0 5 9 KP_0 KP_5 KP_7 KP_9 minus period Return BackSpace)
storm_round() {
  begin_batch
  local i again=()
  for i in $(seq 2); do
    again+=("${toggles[RANDOM % ${#toggles[@]}]}")
    press "${again[-1]}" "${others[RANDOM % ${#others[@]}]}"
  done
  for i in $(seq 12); do
    xdotool mousemove --window "$window" $((RANDOM % 400)) $((RANDOM % 400))
    messages=$((messages + 1))
  done
  # Every press moves the threshold, so the presses come in pairs that
  # cancel (a left and a right single click, a left and a right double
  # click), all inside the smallest window size: the threshold ends each
  # round where it began and the walk below starts from a known value.
  click_at $((RANDOM % 300)) $((RANDOM % 300)) 1
  click_at $((RANDOM % 300)) $((RANDOM % 300)) 3
  for button in 1 3; do
    xdotool mousemove --window "$window" $((RANDOM % 300)) $((RANDOM % 300)) click --repeat 2 --delay 40 "$button"
    messages=$((messages + 5))
  done
  if [ $((RANDOM % 3)) -eq 0 ]; then
    xdotool windowsize "$window" $((300 + RANDOM % 300)) $((300 + RANDOM % 300))
    messages=$((messages + 2))
  fi
  press "${again[@]}"
  settle
}

# ---- warm-up, then the memory figure at frame 200
while [ "$(count)" -lt 200 ]; do storm_round; done
frame_early=$(count)
rss_early=$(rss_kib)

# ---- the threshold walk: 0.3 - 36 x 0.01 < 0, then + 140 x 0.01 > 1. The
# presses are worked off with both passes off (cheap frames); the pictures
# are taken with the isosurface alone.
xdotool windowsize "$window" 400 400
walk_start=$(count)
begin_batch
passes 0 0
for i in $(seq 36); do click_at $((20 + i * 9)) 60 1; done
passes 1 0
settle
import -window "$window" "$out/threshold_below_0.png"
begin_batch
passes 0 0
for i in $(seq 140); do click_at $((20 + i % 40 * 9)) $((100 + i / 40 * 9)) 3; done
passes 1 0
settle
import -window "$window" "$out/threshold_above_1.png"
walk_frames=$(($(count) - walk_start))
# The share of the picture in the clear colour (0.5 grey). Below 0 every
# slice passes the alpha test: a solid block over most of the window. Above
# 1 none does: the clear colour and the frame-rate text only.
clear_share() {
  convert "$1" -fuzz 3% -fill white -opaque 'rgb(128,128,128)' -fill black +opaque white -format '%[fx:mean]' info:
}
below=$(clear_share "$out/threshold_below_0.png")
above=$(clear_share "$out/threshold_above_1.png")
awk -v b="$below" -v a="$above" 'BEGIN { exit !(b < 0.6 && a > 0.95) }' ||
  fail "the threshold walk does not show (clear colour: $below of the picture below 0, $above above 1)"

# ---- the rest of the storm
# The walk's cheap frames do not count towards N.
while [ $(($(count) - walk_frames)) -lt "$frames" ]; do storm_round; done
begin_batch
passes 1 0
settle
frame_end=$(count)
rss_end=$(rss_kib)

# ---- the close box
/usr/bin/python3 "$root/tools/scripts/close_window.py" test >/dev/null
for _ in $(seq 600); do alive || break; sleep 0.1; done
alive && fail "the viewer did not end within a minute of the close box"
status=0
wait "$viewer" || status=$?
viewer=
seconds=$((SECONDS - started))

summary="$exe: $frame_end frames in ${seconds}s ($walk_frames of them cheap frames of the threshold walk); resident memory $((rss_early / 1024)) MiB at frame $frame_early, $((rss_end / 1024)) MiB at frame $frame_end; clear colour $below of the picture below 0, $above above 1; exit status $status"
echo "soak: $summary" | tee "$out/summary.txt"
[ "$status" -eq 0 ] || fail "exit status $status: $(tail -5 "$out/viewer.err")"
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer' "$out/viewer.err"; then
  fail "sanitizer report in $out/viewer.err: $(grep -m3 -E 'ERROR|runtime error' "$out/viewer.err")"
fi
[ $((rss_end - rss_early)) -le "$growth_limit_kib" ] ||
  fail "resident memory grew by $(((rss_end - rss_early) / 1024)) MiB after warm-up"
echo "soak: passed; logs and pictures in $out"
