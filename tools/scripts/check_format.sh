#!/usr/bin/env bash
# check_format.sh [ROOT]: lists every C++ source under ROOT (default: this
# tree) that clang-format 14 would change, and fails when there is one.
# Exit status: 0 all formatted, 1 some file is not, 2 no clang-format 14.
# To format a file in place: clang-format-14 -i FILE.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
formatter=$(command -v clang-format-14 || true)
if [ -z "$formatter" ]; then
  echo "check_format: clang-format-14 is not installed (Debian package clang-format-14)" >&2
  exit 2
fi
cd "$root"
if [ ! -f .clang-format ]; then
  echo "check_format: $root has no .clang-format" >&2
  exit 2
fi
# Tracked files in a checkout; every source outside the build folders in a
# plain copy.
if git rev-parse --show-toplevel 2>/dev/null | grep -qxF "$root"; then
  files=$(git ls-files '*.cpp' '*.h')
else
  files=$(find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi
# One formatter run for every file: it names each one it would change.
status=0
# shellcheck disable=SC2086
report=$("$formatter" --style=file --dry-run --Werror $files 2>&1 >/dev/null) || status=$?
unformatted=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u)
if [ -n "$unformatted" ]; then
  echo "check_format: not formatted (clang-format-14 -i FILE fixes it):"
  echo "$unformatted" | sed 's/^/  /'
  echo "check_format: $(echo "$unformatted" | wc -l) file(s) not formatted"
  exit 1
fi
if [ "$status" -ne 0 ]; then  # it failed for another reason: say what it said
  echo "check_format: clang-format-14 failed (status $status):" >&2
  echo "$report" >&2
  exit 1
fi
echo "check_format: all $(echo "$files" | wc -w) C++ files formatted"
