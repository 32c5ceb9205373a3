#!/usr/bin/env bash
# Sets up a Debian machine for volview and runs it or its tests.
#   ./setup.sh run    install what is missing, build, prepare the default data, run the viewer
#   ./setup.sh test   install what is missing, build (plain and sanitizer), run every test
# Idempotent: quiet when nothing is missing, rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
MODE=${1:-run}

# Debian packages the build, the tests and the default dataset need.
PACKAGES=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev clang-format-14
  libgtest-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  libfreetype-dev libfontconfig-dev fonts-liberation
  zlib1g-dev libpng-dev
  xvfb xdotool x11-apps x11-utils imagemagick python3 python3-xlib
  invesalius-examples
  libgdcm-dev libnifti2-dev python3-pydicom python3-numpy
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory | grep -vE '^\[ *[0-9]+%\]|^Consolidate|^-- ' || true
  test "${PIPESTATUS[0]}" -eq 0
}

# The fuzz targets: clang with libFuzzer, in a folder of their own.
build_fuzzers() {  # build_fuzzers DIR
  if [ ! -f "$1/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVOLVIEW_FUZZ=ON -DVOLVIEW_TESTS=OFF >/dev/null
  fi
  cmake --build "$1" -j"$(nproc)" --target fuzzers -- --no-print-directory | grep -vE '^\[ *[0-9]+%\]|^Consolidate|^-- ' || true
  test "${PIPESTATUS[0]}" -eq 0
}

CRANIUM=/usr/share/doc/invesalius-examples/examples/Cranium.inv3

# The default dataset: the CT example turned into the viewer's file layout.
prepare_data() {
  local run=$1/run
  if [ ! -f "$run/skewed_head.dat" ]; then
    "$1/tools/volimport" --inv3 "$CRANIUM" -o "$run/skewed_head.dat"
  fi
}

install_missing
case "$MODE" in
  run)
    build build
    prepare_data build
    exec tools/scripts/run_viewer.sh build/run
    ;;
  test)
    echo "== format (clang-format 14)"
    tools/scripts/check_format.sh
    build build
    prepare_data build
    build build-asan -DVOLVIEW_SANITIZE=ON
    prepare_data build-asan
    echo "== tests (plain build)"
    (cd build && ctest --output-on-failure -j2)
    echo "== tests (address and undefined-behaviour sanitizers)"
    (cd build-asan && ctest --output-on-failure -j2)
    echo "== fuzzing (libFuzzer, address and undefined-behaviour sanitizers)"
    build_fuzzers build-fuzz
    tests/fuzz/run_fuzzers.sh build-fuzz "${VOLVIEW_FUZZ_SECONDS:-40}"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
