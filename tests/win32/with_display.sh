#!/bin/sh
# Runs a command with a display of its own and a Wine prefix of its own:
#   with_display.sh PREFIX COMMAND...
# Wine needs an X display to create windows. A private Xvfb and prefix keep
# window tests away from the other tests' Wine server; both end with the run.
set -u
prefix=$1
shift

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
i=0
until [ -s "$tmp/display" ]; do
  i=$((i + 1))
  if [ $i -gt 200 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with_display.sh: Xvfb did not start" >&2
    exit 1
  fi
  sleep 0.05
done
DISPLAY=:$(cat "$tmp/display")
export DISPLAY

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # Unmanaged windows close at once instead of after about 2 s each, and a
  # crash ends the program instead of waiting in a dialog.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
fi

QEB_WINEPREFIX="$prefix" "$@"
