#!/usr/bin/env bash
# Sets up a Debian machine for volview and runs it or its tests.
#   ./setup.sh run    install what is missing for it, build (which makes the default dataset), run the viewer
#   ./setup.sh test   install what the tests need, check the format, build and run every test in a
#                     plain and a sanitizer build, then build, install and start the Linux package (.deb)
#   ./setup.sh ci     the test command, then an optimised build with clang and its package, the
#                     fuzzers, and the Windows part below (what CI runs)
#   ./setup.sh windows  cross-build for 64-bit Windows (mingw-w64) into build-windows/,
#                     run its tests under Wine and write build-windows/volview-windows-x64.zip
# Idempotent: quiet when nothing is missing, rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
MODE=${1:-run}

# Debian packages, by purpose; each command installs only the lists it needs.
BUILD_PACKAGES=(
  build-essential cmake pkg-config
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  libfreetype-dev libfontconfig-dev fonts-liberation
  zlib1g-dev libstb-dev libgdcm-dev libnifti2-dev
)
# Running the viewer without a desktop (Xvfb, screenshot, closing it) and
# the CT example the default dataset is made from.
RUN_PACKAGES=(xvfb xdotool x11-apps x11-utils imagemagick python3 python3-xlib invesalius-examples)
# The test suite (and its DICOM and NIfTI files, written by a script) and
# the format check.
TEST_PACKAGES=(libgtest-dev python3-pydicom python3-numpy clang-format-14)
# clang: the fuzz targets (libFuzzer) and the optimised build.
CLANG_PACKAGES=(clang libclang-rt-14-dev)
# The Windows build: cross compiler, Wine to test it, zlib and GoogleTest
# sources for it, zip for the package.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev googletest zip
  dpkg-dev)  # apt-get source: the DICOM and NIfTI libraries' Debian sources

install_missing() {  # install_missing PACKAGE...
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A build's output without its progress lines. It never fails itself, so a
# pipe into it ends with the build's own status (pipefail).
quiet_progress() {
  grep -vE '^\[ *[0-9]+%\]|^Consolidate|^-- ' || true
}

# Where we build, warnings are errors. A folder is configured again when its
# cache lacks an option asked for (made before the option, or by another command).
needs_configure() {  # needs_configure DIR [-DNAME=VALUE...]
  local cache=$1/CMakeCache.txt option name; shift
  [ -f "$cache" ] || return 0
  for option in -DVOLVIEW_WERROR=ON "$@"; do
    option=${option#-D}
    name=${option%%=*}
    [ "$(sed -n "s/^$name:[A-Z]*=//p" "$cache")" = "${option#*=}" ] || return 0
  done
  return 1
}

build() {  # build DIR [cmake options...]
  local dir=$1; shift
  if needs_configure "$dir" "$@"; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLVIEW_WERROR=ON "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory | quiet_progress
}

# The fuzz targets: clang with libFuzzer, in a folder of their own.
build_fuzzers() {  # build_fuzzers DIR
  if needs_configure "$1"; then
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVOLVIEW_FUZZ=ON -DVOLVIEW_TESTS=OFF -DVOLVIEW_WERROR=ON >/dev/null
  fi
  cmake --build "$1" -j"$(nproc)" --target fuzzers -- --no-print-directory | quiet_progress
}

# The example CT the build makes the default dataset from (RUN_PACKAGES).
# Each fuzz target for VOLVIEW_FUZZ_SECONDS (15) seconds: its seeds replayed, then new inputs.
fuzz() {  # fuzz DIR
  build_fuzzers "$1"
  tests/fuzz/run_fuzzers.sh "$1" "${VOLVIEW_FUZZ_SECONDS:-15}"
}

CRANIUM=/usr/share/doc/invesalius-examples/examples/Cranium.inv3

# Prints a stage's title, runs it and says how long it took.
stage() {  # stage TITLE COMMAND...
  local title=$1 start=$SECONDS; shift
  echo "== $title"
  "$@"
  echo "   ($title: $((SECONDS - start)) s)"
}

ctest_in() {  # ctest_in DIR: every test of a build folder, two at a time
  (cd "$1" && ctest --output-on-failure -j2)
}

# The plain and the sanitizer build at the same time: each build's links and
# the libraries its tests wait for leave a core idle that the other fills.
build_both() {
  build build -DVOLVIEW_TESTS=ON &
  local plain=$! status=0
  build build-asan -DVOLVIEW_SANITIZE=ON || status=$?
  wait "$plain" || status=$?
  return "$status"
}

# The test command: what a developer runs before sending a change.
run_tests() {
  install_missing "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
  stage "format (clang-format 14)" tools/scripts/check_format.sh
  stage "plain and sanitizer builds, side by side" build_both
  stage "tests (plain build)" ctest_in build
  stage "tests (address and undefined-behaviour sanitizers)" ctest_in build-asan
  stage "the Linux package of the plain build, installed and started" tests/package/installed_viewer_test.sh build
}

# DLLs that every 64-bit Windows has. An .exe importing any other does not
# start on a machine without it, though Wine here may still find one.
WINDOWS_SYSTEM_DLLS=(
  kernel32 user32 gdi32 opengl32 glu32 msvcrt advapi32 shell32 ole32 oleaut32 comdlg32 comctl32
  ws2_32 winmm imm32 version shlwapi bcrypt crypt32 dbghelp psapi ntdll ucrtbase
)
check_windows_imports() {  # check_windows_imports EXE...: fails naming each DLL outside that list
  local exe dll name bad=0
  for exe in "$@"; do
    while read -r dll; do
      name=$(tr '[:upper:]' '[:lower:]' <<<"${dll%.*}")
      [[ " ${WINDOWS_SYSTEM_DLLS[*]} " == *" $name "* || $name == api-ms-win-* ]] && continue
      echo "windows: $exe imports $dll, which Windows does not have" >&2
      bad=1
    done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  done
  return $bad
}

# volimport.exe's DICOM and NIfTI libraries, cross-built once into
# DIR/deps (the toolchain file looks there). A build folder configured
# before they existed looks again.
windows_deps() {  # windows_deps DIR
  local start=$SECONDS
  [ -f "$1/deps/install/.complete" ] || echo "windows: cross-building GDCM and nifticlib (once)"
  tools/scripts/build_windows_deps.sh "$ROOT/$1/deps/install"
  [ $((SECONDS - start)) -lt 5 ] || echo "windows: GDCM and nifticlib took $((SECONDS - start)) s"
  if grep -qs '^GDCM_INCLUDE_DIR:PATH=.*NOTFOUND' "$1/CMakeCache.txt"; then cmake "$1" >/dev/null; fi
}

# volimport.exe beside volimport on the import test's DICOM series and NIfTI
# files: the same status, messages and dataset bytes.
windows_formats() {  # windows_formats DIR
  [ -f build/CMakeCache.txt ] || cmake -S "$ROOT" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target volimport >/dev/null
  echo "== DICOM and NIfTI (volimport.exe against volimport, under Wine)"
  VOLIMPORT_LINUX=$ROOT/build/tools/volimport VOLIMPORT_EXE=$ROOT/$1/tools/volimport.exe \
    /usr/bin/python3 tests/tools/import_formats/import_formats_test.py \
    "$ROOT/tests/windows/volimport_both_builds.sh" "$CRANIUM"
}

# The Windows build, its tests under Wine on a private Xvfb, and the package.
windows() {
  local dir=build-windows
  windows_deps "$dir"
  if needs_configure "$dir"; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLVIEW_WERROR=ON >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory | quiet_progress
  cp "$dir"/tools/volimport.exe "$dir"/tools/voldump.exe "$dir"/tools/volphantom.exe "$dir/run/"
  check_windows_imports "$dir"/run/*.exe
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" 2>/dev/null &
  local xvfb=$!
  trap "kill $xvfb 2>/dev/null; rm -f '$numberFile'" EXIT
  for _ in $(seq 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$numberFile")
  # Wine's prefixes (the first start is slow, so before any timed test): one
  # for this user and, when root, one for the tests' runs as user nobody.
  "$ROOT/tools/scripts/wine_run.sh"
  if [ "$(id -u)" -eq 0 ]; then
    install -d -o nobody "$dir/wineprefix-nobody"
    runuser -u nobody -- "$ROOT/tools/scripts/wine_run.sh"
  fi
  if [ ! -f "$dir/run/skewed_head.dat" ]; then  # the cross build cannot run volimport.exe itself
    (cd "$dir/run" && "$ROOT/tools/scripts/wine_run.sh" volimport.exe --inv3 "Z:$CRANIUM" -o skewed_head.dat >/dev/null)
  fi
  if [ -f build/run/skewed_head.dat ] && ! cmp -s build/run/skewed_head.dat "$dir/run/skewed_head.dat"; then
    echo "windows: volimport.exe and volimport made different datasets" >&2
    return 1
  fi
  windows_formats "$dir"
  echo "== tests (Windows build, under Wine)"
  (cd "$dir" && ctest --output-on-failure -j2)
  kill $xvfb 2>/dev/null; trap - EXIT; rm -f "$numberFile"
  # End to end: the Linux build's viewer tests drive the .exe files through
  # Wine, each test program on an Xvfb of its own (FILTERS below). Left out:
  # the dataset too large for a 2 GiB address-space limit: under that limit
  # Wine's glu32 dies in gluBuild2DMipmaps (strtod on a null GL version
  # string, exception 0xc0000417) before the loader's box comes (open).
  needs_configure build -DVOLVIEW_TESTS=ON &&
    cmake -S "$ROOT" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLVIEW_WERROR=ON -DVOLVIEW_TESTS=ON >/dev/null
  cmake --build build -j"$(nproc)" --target viewer_run_test view_controls_run_test viewer_mode_run_test slice_panes_run_test program_faults_test dataset_faults_test >/dev/null
  echo "== end to end (Windows build, under Wine)"
  export WINEPREFIX=$ROOT/$dir/wineprefix
  local test filter
  while read -r test filter; do
    echo "$test"
    VOLVIEW_LAUNCHER="$ROOT/tools/scripts/wine_run.sh" VOLVIEW_RUN_DIR="$ROOT/$dir/run" \
      "build/tests/$test" --gtest_filter="$filter" --gtest_brief=1 </dev/null
    wineserver -w  # its windows lived on that program's display
  done <<'FILTERS'
app/viewer_run_test *
app/view_controls_run_test *
app/viewer_mode_run_test *
app/slice_panes_run_test *
reliability/program_faults_test *
reliability/dataset_faults_test DatasetFaults.EachBadDatasetEndsTheRunWithItsProblem
FILTERS
  # The package: the run folder and a short note for Windows users.
  local package=$dir/package/volview
  rm -rf "$dir/package" "$dir/volview-windows-x64.zip"
  mkdir -p "$package"
  cp "$dir"/run/*.exe "$dir"/run/*.txt "$dir/run/skewed_head.dat" "$package/"
  cp docs/windows-readme.txt "$package/README.txt"
  # Shipped without debug information; the build folder keeps it.
  x86_64-w64-mingw32-strip "$package"/*.exe
  (cd "$dir/package" && zip -qr ../volview-windows-x64.zip volview)
  echo "windows: wrote $dir/volview-windows-x64.zip"
}

# CI only: the Windows build's libraries and the fuzz targets need nothing of
# the test builds, so they build at the lowest priority while the tests run,
# on the core time the tests leave idle (they wait on windows and pictures).
start_idle_builds() {
  mkdir -p build-windows
  (
    renice -n 19 -p "$BASHPID" >/dev/null
    windows_deps build-windows
    build_fuzzers build-fuzz
  ) >build-windows/idle-builds.log 2>&1 &
  IDLE_PID=$!
  trap 'kill "$IDLE_PID" 2>/dev/null' EXIT
}
finish_idle_builds() {
  local status=0
  wait "$IDLE_PID" || status=$?
  trap - EXIT
  [ "$status" -eq 0 ] || { tail -n 40 build-windows/idle-builds.log >&2; return "$status"; }
}

case "$MODE" in
  run)
    install_missing "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
    build build -DVOLVIEW_TESTS=OFF  # without the test libraries
    exec tools/scripts/run_viewer.sh build/run
    ;;
  test)
    start=$SECONDS
    run_tests
    echo "setup: every test passed in $((SECONDS - start)) s"
    ;;
  ci)
    start=$SECONDS
    # Everything first: the builds beside the tests use apt too.
    install_missing "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${CLANG_PACKAGES[@]}" \
      "${WINDOWS_PACKAGES[@]}"
    start_idle_builds
    run_tests
    stage "the Windows libraries and the fuzzers, built beside the tests" finish_idle_builds
    # What ships (the tests are built twice with gcc already).
    CC=clang CXX=clang++ stage "optimised build (Release, clang, warnings as errors)" \
      build build-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVOLVIEW_TESTS=OFF
    stage "the Linux package of the optimised build (under /usr), installed and started" \
      tests/package/installed_viewer_test.sh build-release
    stage "fuzzing (libFuzzer, address and undefined-behaviour sanitizers)" fuzz build-fuzz
    stage "the Windows build" windows
    echo "setup: every check passed in $((SECONDS - start)) s"
    ;;
  windows)
    install_missing "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    windows
    ;;
  *)
    echo "usage: $0 run|test|ci|windows" >&2
    exit 2
    ;;
esac
