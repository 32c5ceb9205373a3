#!/bin/sh
# compare_with_vtk.sh BUILD_DIR [FRAMES]
# In one run, on the default CT at full resolution: our frame rates at grid
# edge 256 (512 x 512 buffer, face-on) and those of VTK's GPU ray caster in
# a 400 x 400 window, with the ratio of "both passes" to VTK's, as JSON.
# Needs a display (Xvfb will do); writes the dataset into BUILD_DIR/run once.
set -eu
build=$(cd "$1" && pwd)
frames=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
dataset="$build/run/cranium-full.dat"
[ -e "$dataset" ] || "$build/tools/volimport" --inv3 /usr/share/doc/invesalius-examples/examples/Cranium.inv3 \
    --full -o "$dataset" >/dev/null
ours=$("$build/bench/viewer_bench" --dir "$build/run" --grid 256 --dataset "$dataset" --frames "$frames")
theirs=$(/usr/bin/python3 "$here/vtk_raycast_bench.py" "$dataset" --frames "$frames")
load=$(cut -d' ' -f1-3 /proc/loadavg)
/usr/bin/python3 - "$ours" "$theirs" "$load" <<'PY'
import json, sys
ours, theirs = json.loads(sys.argv[1]), json.loads(sys.argv[2])
ratio = ours["frames_per_second"]["both"] / theirs["frames_per_second"]
print(json.dumps({"volview_grid_256": ours, "vtk_gpu_raycast": theirs,
                  "both_passes_over_vtk": round(ratio, 2), "load_average": sys.argv[3]}, indent=2))
PY
