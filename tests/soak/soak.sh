#!/usr/bin/env bash
# soak.sh [--exe volview|volview256] [--frames N] [--run-dir DIR] [--out DIR]
# The viewer of RUN_DIR (default build-asan/run) under a private Xvfb for at
# least N frames (default 2000) of real input, a walk of the threshold below
# 0 and above 1, then the close box; see docs/reliability.md. Passes on
# status 0, no sanitizer report and resident memory at the end at most 16 MiB
# above the figure at frame 200. Keeps logs and screenshots in OUT; exit
# status 77 when RUN_DIR lacks the viewer or the dataset, 1 on failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=volview frames=2000 run_dir=$root/build-asan/run out=
while [ $# -gt 0 ]; do
  case "$1" in
    --exe) exe=$2 ;; --frames) frames=$2 ;; --run-dir) run_dir=$2 ;; --out) out=$2 ;;
    *) echo "usage: soak.sh [--exe NAME] [--frames N] [--run-dir DIR] [--out DIR]" >&2; exit 2 ;;
  esac
  shift 2
done
run_dir=$(cd "$run_dir" && pwd)
if [ ! -x "$run_dir/$exe" ] || [ ! -f "$run_dir/skewed_head.dat" ]; then
  echo "soak: $run_dir has no $exe or no skewed_head.dat; nothing to soak" >&2
  exit 77
fi
[ -n "$out" ] || out=$(mktemp -d /tmp/volview-soak-XXXXXX)
mkdir -p "$out"
rm -f "$out/frames" "$out"/*.png "$out/summary.txt"  # nothing from an earlier run
fail() { echo "soak: FAIL: $*" >&2; exit 1; }

# A private X server (-noreset: it must not reset between clients).
xvfb= viewer= counter=
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
cleanup() {  # stops whatever still runs; never changes the script's own status
  [ -z "$viewer" ] || kill -9 "$viewer" 2>/dev/null || true
  [ -z "$counter" ] || kill "$counter" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap 'status=$?; cleanup; exit $status' EXIT

# The viewer, with leak checking. A small quarantine: freed blocks (Mesa frees
# some every frame) would otherwise be held back up to 256 MiB and resident
# memory would climb without any leak.
(
  cd "$run_dir"
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1:quarantine_size_mb=16:thread_local_quarantine_size_kb=256
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1
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
# Frames counted until the window goes away.
/usr/bin/python3 "$root/tools/scripts/wait_for_frames.py" --tally "$out/frames" test 1000000000 86400 2>"$out/counter.err" &
counter=$!
for _ in $(seq 100); do [ -s "$out/frames" ] && break; sleep 0.1; done

count() { cat "$out/frames" 2>/dev/null || echo 0; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$viewer/status"; }
# A batch of input: begin_batch, send (each sender adds the messages it queues
# to $messages), settle. The viewer takes one message a frame: the batch is
# worked off and drawn once as many frames as messages, and ten more, passed.
begin_batch() { messages=0; batch_start=$(count); }
settle() {
  local target=$((batch_start + messages)) waited=0
  [ "$target" -gt "$(count)" ] || target=$(count)
  while [ "$(count)" -lt $((target + 10)) ]; do
    alive || fail "the viewer ended during the storm: $(tail -5 "$out/viewer.err")"
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 3000 ] || fail "no frames for five minutes (at frame $(count))"
  done
}
# '1' '2' '3' (and the keypad digits with Num Lock on) toggle the passes. The
# storm sends each toggle twice, so a round ends with the passes as they
# began; only passes() changes them for good.
iso=1 transp=1  # as the viewer starts
press() {  # press KEYSYM...: typed keys, through XTEST to the window under the pointer
  xdotool mousemove --window "$window" 5 5
  messages=$((messages + 1))
  for key in "$@"; do xdotool key "$key" 2>/dev/null; messages=$((messages + 3)); done  # down, character, up
}
passes() {  # passes ISO TRANSP
  [ "$iso" = "$1" ] || { press 1; iso=$1; }
  [ "$transp" = "$2" ] || { press 2; transp=$2; }
}
click_at() {  # click_at X Y BUTTON [REPEAT]: moved first, so single presses never make a double click
  xdotool mousemove --window "$window" "$1" "$2" click --repeat "${4:-1}" --delay 40 "$3"
  messages=$((messages + 1 + 2 * ${4:-1}))
}
xdotool mousemove --window "$window" 5 5 key Num_Lock 2>/dev/null
toggles=(1 2 3 KP_1 KP_2 KP_3)
others=(a z space 0 5 9 KP_0 KP_5 KP_7 KP_9 minus period Return BackSpace)
storm_round() {
  begin_batch
  local again=()
  for _ in 1 2; do
    again+=("${toggles[RANDOM % ${#toggles[@]}]}")
    press "${again[-1]}" "${others[RANDOM % ${#others[@]}]}"
  done
  for _ in $(seq 12); do
    xdotool mousemove --window "$window" $((RANDOM % 400)) $((RANDOM % 400))
    messages=$((messages + 1))
  done
  # Presses move the threshold, so they come in pairs that cancel, inside
  # the smallest window size: the walk below starts from a known value.
  for repeat in 1 2; do
    for button in 1 3; do click_at $((RANDOM % 300)) $((RANDOM % 300)) "$button" "$repeat"; done
  done
  if [ $((RANDOM % 3)) -eq 0 ]; then
    xdotool windowsize "$window" $((300 + RANDOM % 300)) $((300 + RANDOM % 300))
    messages=$((messages + 2))
  fi
  press "${again[@]}"
  settle
}

while [ "$(count)" -lt 200 ]; do storm_round; done
frame_early=$(count) rss_early=$(rss_kib)

# The threshold walk: 0.3 - 36 x 0.01 < 0, then + 140 x 0.01 > 1. The presses
# are worked off with both passes off (cheap frames, not counted in N); the
# pictures are taken with the isosurface alone. Below 0 every slice passes the
# alpha test (a solid block), above 1 none does (the clear grey and the text).
xdotool windowsize "$window" 400 400
walk_start=$(count)
walk() {  # walk BUTTON PRESSES PICTURE: sets $share, the clear colour's share of the picture
  begin_batch
  passes 0 0
  for i in $(seq "$2"); do click_at $((20 + i % 36 * 9)) $((60 + i / 36 * 9)) "$1"; done
  passes 1 0
  settle
  import -window "$window" "$out/$3.png"
  share=$(convert "$out/$3.png" -fuzz 3% -fill white -opaque 'rgb(128,128,128)' -fill black +opaque white -format '%[fx:mean]' info:)
}
walk 1 36 threshold_below_0
below=$share
walk 3 140 threshold_above_1
above=$share
walk_frames=$(($(count) - walk_start))
awk -v b="$below" -v a="$above" 'BEGIN { exit !(b < 0.6 && a > 0.95) }' ||
  fail "the threshold walk does not show (clear colour: $below of the picture below 0, $above above 1)"

while [ $(($(count) - walk_frames)) -lt "$frames" ]; do storm_round; done
begin_batch
passes 1 0
settle
frame_end=$(count) rss_end=$(rss_kib)

/usr/bin/python3 "$root/tools/scripts/close_window.py" test >/dev/null
for _ in $(seq 600); do alive || break; sleep 0.1; done
alive && fail "the viewer did not end within a minute of the close box"
status=0
wait "$viewer" || status=$?
viewer=
echo "soak: $exe: $frame_end frames in $((SECONDS - started))s ($walk_frames of them cheap frames of the threshold walk); resident memory $((rss_early / 1024)) MiB at frame $frame_early, $((rss_end / 1024)) MiB at frame $frame_end; clear colour $below of the picture below 0, $above above 1; exit status $status" | tee "$out/summary.txt"
[ "$status" -eq 0 ] || fail "exit status $status: $(tail -5 "$out/viewer.err")"
! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer' "$out/viewer.err" ||
  fail "sanitizer report in $out/viewer.err: $(grep -m3 -E 'ERROR|runtime error' "$out/viewer.err")"
[ $((rss_end - rss_early)) -le $((16 * 1024)) ] || fail "resident memory grew by $(((rss_end - rss_early) / 1024)) MiB after warm-up"
echo "soak: passed; logs and pictures in $out"
