#!/bin/sh
# Runs a Windows test binary under Wine with the prefix of the build folder
# (QEB_WINEPREFIX, else build/win64/wine beside this script's project).
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${QEB_WINEPREFIX:-$here/build/win64/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
exec wine "$@"
