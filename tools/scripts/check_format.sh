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
unformatted=0
for file in $files; do
  if ! "$formatter" --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
    [ "$unformatted" -eq 0 ] && echo "check_format: not formatted (clang-format-14 -i FILE fixes it):"
    echo "  $file"
    unformatted=$((unformatted + 1))
  fi
done
if [ "$unformatted" -ne 0 ]; then
  echo "check_format: $unformatted file(s) not formatted"
  exit 1
fi
echo "check_format: all $(echo "$files" | wc -w) C++ files formatted"
