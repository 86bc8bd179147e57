#!/usr/bin/env bash
# Builds QEB_SUA.exe and runs it under Wine, with drive A: of a Wine prefix in
# the build folder pointing at DISKETTE_FOLDER (by default a folder of sample
# diskettes generated here: one whole file and one split set). Uses your
# display, or Xvfb when there is none. Installs whatever is missing (as root).
#
#   tools/run.sh [DISKETTE_FOLDER]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=tools/install_deps.sh
source "$root/tools/install_deps.sh"
qeb_install_missing || exit 1

mkdir -p build
echo "== building QEB_SUA.exe and the sample generator" >&2
{ cmake --preset win64 && cmake --build --preset win64 --target QEB_SUA; } >build/run.build.log 2>&1 ||
  { tail -n 30 build/run.build.log; exit 1; }
{ cmake --preset native && cmake --build --preset native --target gen_sua; } >>build/run.build.log 2>&1 ||
  { tail -n 30 build/run.build.log; exit 1; }

diskettes=${1:-}
if [ -z "$diskettes" ]; then
  diskettes=$root/build/sample-diskettes
  rm -rf "$diskettes"
  mkdir -p "$diskettes"
  build/native/tools/gen_sua --out "$diskettes" --name S0307379 --records 3000 --whole >/dev/null
  build/native/tools/gen_sua --out "$diskettes" --name A1234567 --records 12000 --pieces 3 >/dev/null
  echo "== sample diskettes in $diskettes:" >&2
  ls -l "$diskettes" >&2
fi
diskettes=$(cd "$diskettes" && pwd) || exit 1

prefix=$root/build/win64/run-prefix
if [ ! -f "$prefix/system.reg" ] || [ ! -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ]; then
  echo "== making the Wine prefix $prefix" >&2
  qeb_make_wine_prefix "$prefix"
fi
ln -sfn "$diskettes" "$prefix/dosdevices/a:"
program_folder=$prefix/drive_c/QEB_SUA
mkdir -p "$program_folder"
cp build/win64/QEB_SUA.exe "$program_folder/"

# Without a window manager (Xvfb) Wine draws the windows' frames itself.
managed=Y
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  managed=N
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  echo "== no display found: the program runs under Xvfb on $DISPLAY" >&2
  echo "   (look at it with: DISPLAY=$DISPLAY import -window root shot.png)" >&2
  trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
  trap 'exit 130' INT TERM
  sleep 1
fi

# Wine speaks Spanish, as a Spanish Windows would: "Aceptar", "Sí", "Cancelar".
export LANG=$QEB_LOCALE LC_ALL=$QEB_LOCALE
WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
  /t REG_SZ /d "$managed" /f >/dev/null 2>&1

echo "== running C:\\QEB_SUA\\QEB_SUA.exe; the work folder is $program_folder/tmp" >&2
WINEPREFIX=$prefix WINEDEBUG=-all wine "C:\\QEB_SUA\\QEB_SUA.exe"
WINEPREFIX=$prefix wineserver -w
