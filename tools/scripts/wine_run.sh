#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's settings: a prefix
# of its own (WINEPREFIX, default build-windows/wineprefix beside this
# script's checkout), no debug chatter, and no offer to install Mono or Gecko.
# The prefix is made on first use (or alone, with no arguments). A program
# named without its .exe, as the Linux tests name the viewer, gets it added.
# DISPLAY must name an X server.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build-windows/wineprefix}
# Wine takes only a prefix of the user's own: another user (the tests' runs
# as user nobody) gets one beside it, made ready by setup.sh.
if [ -e "$WINEPREFIX" ] && [ ! -O "$WINEPREFIX" ]; then WINEPREFIX=$WINEPREFIX-$(id -un); fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
[ $# -eq 0 ] && exit 0
if [ ! -e "$1" ] && [ -e "$1.exe" ]; then set -- "$1.exe" "${@:2}"; fi
exec wine "$@"
