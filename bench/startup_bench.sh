#!/bin/sh
# startup_bench.sh BUILD_DIR [OTHER_VIEWER_BENCH]
# The start-up figures of viewer mode on the head CT, each run with the load
# average before it, as JSON: time to the first frame and peak resident
# memory at grid 512 (the dataset at full resolution, and the CT as a DICOM
# series opened directly), the first frame at grid 256, and the peak memory
# of the DICOM series on the default grid. Needs a display (Xvfb will do);
# writes the dataset and the series into BUILD_DIR/run once. With a second
# viewer_bench (an older build, say), each run is made by both in turn, the
# other's under "other".
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
inv3=/usr/share/doc/invesalius-examples/examples/Cranium.inv3
run="$build/run"
dataset="$run/cranium-full.dat"
series="$run/cranium-dicom"
other=${2:-}
[ -z "$other" ] || other=$(cd "$(dirname "$other")" && pwd)/$(basename "$other")
[ -e "$dataset" ] || "$build/tools/volimport" --inv3 "$inv3" --full -o "$dataset" >/dev/null
[ -d "$series" ] || /usr/bin/python3 "$here/write_dicom_series.py" "$inv3" "$series"

# bench, name, then viewer_bench's arguments: one JSON member per run.
once() {
    bench=$1
    name=$2
    shift 2
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    figures=$("$bench" --dir "$run" --only none --frames 1 "$@" 2>/dev/null)
    /usr/bin/python3 - "$name" "$load" "$figures" <<'PY'
import json, re, sys
# An older viewer_bench may cut a long stage line short: keep whole members.
lines = [l for l in sys.argv[3].splitlines() if l.count('"') % 2 == 0]
text = re.sub(r",\s*\n(\s*)}", r"\n\1}", "\n".join(lines))
name, load, figures = sys.argv[1], sys.argv[2], json.loads(text, strict=False)
keep = {k: figures[k] for k in ("grid", "startup_s", "first_frame_s", "resident_at_first_frame_mb",
                                "peak_resident_mb", "stages_s")}
print(json.dumps({name: dict(keep, load_average=load)})[1:-1])
PY
}

measure() {
    once "$build/bench/viewer_bench" "$@"
    if [ -n "$other" ]; then
        echo ","
        name=$1
        shift
        once "$other" "other_$name" "$@"
    fi
}

{
    echo "{"
    measure grid512_dataset --grid 512 --dataset "$dataset"
    echo ","
    measure grid512_dicom --grid 512 --scan "$series"
    echo ","
    measure grid256_dataset --grid 256 --dataset "$dataset"
    echo ","
    measure default_grid_dicom --scan "$series"
    echo "}"
} | /usr/bin/python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), indent=2))'
