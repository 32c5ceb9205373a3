#!/usr/bin/env bash
# Cross-builds the DICOM library (GDCM) and the NIfTI library for 64-bit
# Windows from Debian's own source packages, once: static libraries and
# headers under PREFIX (default build-windows/deps/install), which the Windows
# build searches. Only what volimport links is built: GDCM's file-format
# library with its bundled codecs, and nifticlib's niftiio and znz.
# usage: build_windows_deps.sh [PREFIX]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(realpath -m "${1:-$root/build-windows/deps/install}")
work=$(dirname "$prefix")
# Done once; a change of this script configures and installs them again.
stamp=$(sha256sum "$0" | cut -c1-16)
[ "$(cat "$prefix/.complete" 2>/dev/null)" = "$stamp" ] && exit 0
if [ -f "$prefix/.complete" ]; then rm -rf "$prefix"; fi
rm -f "$work/gdcm/CMakeCache.txt" "$work/nifti/CMakeCache.txt"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

# apt-get source needs source entries: the configured binary entries, with
# their type changed, in a file of our own.
add_source_entries() {
  local list=/etc/apt/sources.list.d/volview-deb-src
  [ -e "$list.sources" ] || [ -e "$list.list" ] && return 0
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "" }
      { n = split($0, line, "\n"); keep = 0; off = 0; out = ""
        for (i = 1; i <= n; i++) {
          if (line[i] ~ /^Types:/) { if ((line[i] " ") ~ /[ \t]deb[ \t]/) keep = 1; line[i] = "Types: deb-src" }
          if (line[i] ~ /^Enabled:[ \t]*no/) off = 1
          out = out line[i] "\n" }
        if (keep && !off) print out "\n" }' "$f"
  done | $sudo tee "$list.sources" >/dev/null
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb[ \t]/deb-src /p' /etc/apt/sources.list | $sudo tee "$list.list" >/dev/null
  fi
  $sudo apt-get update -qq
}

fetch() {  # fetch PACKAGE: unpacks Debian's source (patches applied) into src/
  mkdir -p "$work/src"
  if ! compgen -G "$work/src/$1-[0-9]*/" >/dev/null; then
    (cd "$work/src" && apt-get source -qq "$1" >/dev/null 2>&1) ||
      (cd "$work/src" && apt-get source -q "$1")
  fi
  compgen -G "$work/src/$1-[0-9]*/" | head -n1
}

configure() {  # configure SOURCE BUILD [cmake options...]: Release, static, for Windows
  local src=$1 dir=$2; shift 2
  mkdir -p "$dir"
  cmake -S "$src" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG -w" \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG -w" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$dir/configure.log" 2>&1 || { tail -n 40 "$dir/configure.log" >&2; return 1; }
}

build() {  # build DIR [cmake --build options...]: quiet unless it fails
  cmake --build "$@" -j"$(nproc)" >"$1/build.log" 2>&1 || { tail -n 40 "$1/build.log" >&2; return 1; }
}

add_source_entries
gdcm_src=$(fetch gdcm)
nifti_src=$(fetch nifticlib)

# mingw-w64 has neither iconv nor posix_memalign. GDCM calls them only to
# turn one vendor's private Japanese text into UTF-8, which volimport never
# reads: there the conversion now fails as it would for a bad string.
mkdir -p "$work/shim"
cat >"$work/shim/iconv.h" <<'SHIM'
#include <stdlib.h>
typedef void *iconv_t;
static inline iconv_t iconv_open(const char *to, const char *from) { (void)to; (void)from; return (iconv_t)-1; }
static inline size_t iconv(iconv_t c, char **in, size_t *inLeft, char **out, size_t *outLeft) {
  (void)c; (void)in; (void)inLeft; (void)out; (void)outLeft; return (size_t)-1; }
static inline int iconv_close(iconv_t c) { (void)c; return 0; }
static inline int posix_memalign(void **p, size_t alignment, size_t n) { (void)alignment; *p = malloc(n); return *p == NULL; }
SHIM

# GDCM: its bundled JPEG, JPEG 2000, JPEG-LS and expat; the cross zlib.
configure "$gdcm_src" "$work/gdcm" -DCMAKE_C_FLAGS="-isystem $work/shim" \
  -DGDCM_BUILD_SHARED_LIBS=OFF -DGDCM_BUILD_APPLICATIONS=OFF -DGDCM_BUILD_TESTING=OFF \
  -DGDCM_BUILD_EXAMPLES=OFF -DGDCM_DOCUMENTATION=OFF \
  -DGDCM_WRAP_PYTHON=OFF -DGDCM_WRAP_JAVA=OFF -DGDCM_WRAP_CSHARP=OFF -DGDCM_USE_VTK=OFF \
  -DGDCM_USE_SYSTEM_ZLIB=ON -DGDCM_INSTALL_INCLUDE_DIR=include/gdcm-3.0 -DGDCM_INSTALL_LIB_DIR=lib
build "$work/gdcm" --target gdcmMSFF
cmake --install "$work/gdcm" --component Headers >/dev/null
mkdir -p "$prefix/lib"
find "$work/gdcm/bin" -name 'libgdcm*.a' -exec cp {} "$prefix/lib/" \;

# nifticlib: the NIfTI-1 and NIfTI-2 readers and their gzip layer.
configure "$nifti_src" "$work/nifti" -DNIFTI_BUILD_APPLICATIONS=OFF -DBUILD_TESTING=OFF \
  -DNIFTI_BUILD_TESTING=OFF -DUSE_NIFTICDF_CODE=OFF -DUSE_NIFTI2_CODE=ON -DUSE_CIFTI_CODE=OFF \
  -DUSE_FSL_CODE=OFF
build "$work/nifti"
cmake --install "$work/nifti" >/dev/null

echo "$stamp" >"$prefix/.complete"
