#!/usr/bin/env bash
# Stands in for volimport: runs the Linux build (VOLIMPORT_LINUX) and the
# Windows build (VOLIMPORT_EXE, under Wine) on the same arguments, passes the
# Linux run's output and status on, and ends with status 70 unless both runs
# end alike, print the same and write the same dataset bytes.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
args=("$@")
out=""
for i in "${!args[@]}"; do
  if [ "${args[$i]}" = -o ]; then out=${args[$((i + 1))]}; args[i + 1]=$out.exe.dat; fi
done
log=$(mktemp -d)
trap 'rm -rf "$log"; [ -z "$out" ] || rm -f "$out.exe.dat"' EXIT
"$VOLIMPORT_LINUX" "$@" >"$log/out" 2>"$log/err"
status=$?
"$here/tools/scripts/wine_run.sh" "$VOLIMPORT_EXE" "${args[@]}" >"$log/out.exe" 2>"$log/err.exe"
exeStatus=$?
cat "$log/out"
cat "$log/err" >&2
same=yes
[ "$status" -eq "$exeStatus" ] || same="status $status, .exe $exeStatus"
# Windows ends lines with CR LF and joins paths with backslashes.
for f in out err; do
  tr -d '\r' <"$log/$f.exe" | sed "s|\\\\|/|g; s|$out.exe.dat|$out|g" >"$log/$f.exe.unix"
  mv "$log/$f.exe.unix" "$log/$f.exe"
  cmp -s "$log/$f" "$log/$f.exe" || same="they print differently: $(diff "$log/$f" "$log/$f.exe" | head -5)"
done
if [ -n "$out" ] && { [ -e "$out" ] || [ -e "$out.exe.dat" ]; } && ! cmp -s "$out" "$out.exe.dat"; then
  same="the datasets differ"
fi
[ "$same" = yes ] && exit "$status"
echo "volimport and volimport.exe differ on ${*}: $same" >&2
exit 70
