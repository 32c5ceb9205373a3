#!/bin/sh
# compare_with_vtk.sh BUILD_DIR [FRAMES]
# In one run, on the default CT at full resolution, face-on: our frame rates
# and first frame at grid edge 256 in a 512 x 512 buffer and in the 400 x 400
# one of viewer mode's start window, against VTK's CPU ray caster in a
# 512 x 512 window (the same pixel count) and its GPU ray caster in windows
# of 400 x 400 and 512 x 512, each framed as the viewer frames the head (the
# same pixels covered, the same opacity per length; see vtk_raycast_bench.py),
# and the CPU ray caster once more with VTK's own framing, with the ratios of our "both passes" to each
# at the same pixel count and of their first frames to ours, as JSON. A first
# frame is timed twice: from the start of the timed code (VTK's after Python
# has imported VTK) and from the launch of the process (what a user waits).
# Needs a display (Xvfb will do); writes the dataset into BUILD_DIR/run once.
set -eu
build=$(cd "$1" && pwd)
frames=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
dataset="$build/run/cranium-full.dat"
[ -e "$dataset" ] || "$build/tools/volimport" --inv3 /usr/share/doc/invesalius-examples/examples/Cranium.inv3 \
    --full -o "$dataset" >/dev/null
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
launched() { BENCH_LAUNCHED_AT=$(date +%s.%N) "$@"; }
ours() { launched "$build/bench/viewer_bench" --dir "$build/run" --grid 256 --dataset "$dataset" --frames "$frames" "$@"; }
ours512=$(ours --edge 512)
ours400=$(ours --edge 400)
vtk() { launched /usr/bin/python3 "$here/vtk_raycast_bench.py" "$dataset" --frames "$frames" "$@"; }
cpu512=$(vtk --mapper cpu --size 512)
cpu512fit=$(vtk --mapper cpu --size 512 --framing fit)
gpu400=$(vtk --mapper gpu --size 400)
gpu512=$(vtk --mapper gpu --size 512)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
/usr/bin/python3 - "$ours512" "$ours400" "$cpu512" "$gpu400" "$gpu512" "$cpu512fit" \
    "$load_before" "$load_after" <<'PY'
import json, sys
ours512, ours400, cpu512, gpu400, gpu512, cpu512fit = (json.loads(a) for a in sys.argv[1:7])
ours = {"volview_grid_256_512": ours512, "volview_grid_256_400": ours400}
# Each of theirs with ours at the same pixel count.
theirs = {"vtk_cpu_raycast_512": (cpu512, ours512), "vtk_gpu_raycast_400": (gpu400, ours400),
          "vtk_gpu_raycast_512": (gpu512, ours512), "vtk_cpu_raycast_512_own_framing": (cpu512fit, ours512)}
print(json.dumps({
    **ours, **{name: run for name, (run, _) in theirs.items()},
    # Above 1: we draw more frames a second.
    "both_passes_over": {name: round(mine["frames_per_second"]["both"] / run["frames_per_second"], 2)
                         for name, (run, mine) in theirs.items()},
    # Above 1: our first frame comes sooner, timed from the start of the timed
    # code, then from the process's launch.
    **{f"{key}_theirs_over_ours": {name: round(run[key] / mine[key], 2) for name, (run, mine) in theirs.items()}
       for key in ("first_frame_s", "first_frame_from_launch_s")},
    "load_average": {"before": sys.argv[7], "after": sys.argv[8]}}, indent=2))
PY
