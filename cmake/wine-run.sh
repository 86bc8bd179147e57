#!/bin/sh
# Runs a Windows program under Wine:
#   wine-run.sh [--prefix=DIR] PROGRAM [ARG...]
# in the prefix QEB_WINEPREFIX (a test's private prefix) when set, else in DIR
# (the toolchain passes the build folder's own, e.g. build/win32/wine). The
# prefix is made when missing.
prefix=
case ${1:-} in
  --prefix=*) prefix=${1#--prefix=}; shift ;;
esac
export WINEPREFIX="${QEB_WINEPREFIX:-$prefix}"
if [ -z "$WINEPREFIX" ]; then
  echo "wine-run.sh: no Wine prefix (set QEB_WINEPREFIX or pass --prefix=DIR)" >&2
  exit 2
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
exec wine "$@"
