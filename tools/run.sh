#!/usr/bin/env bash
# Builds QEB_SUA.exe and runs it under Wine, with drive A: of a Wine prefix in
# the build folder pointing at DISKETTE_FOLDER (by default a folder of sample
# diskettes generated here: one whole file and one split set). Uses your
# display, or Xvfb when there is none. Installs whatever is missing (as root).
#
#   tools/run.sh [--win32] [--slow] [--bad NAME@OFFSET]... [DISKETTE_FOLDER]
#   tools/run.sh --demo [--win32]
#
# --slow and --bad read drive A: as a real diskette drive does, through FUSE
# (tools/diskette_drive.py): --slow at 40 KB a second, and --bad failing
# every read of the file NAME that reaches byte OFFSET, as a sector that
# cannot be read does.
# --win32 builds and runs the 32-bit exe (preset win32, build/win32) instead
# of the 64-bit one (preset win64, build/win64); options come in any order.
#
# --demo needs no display: under an Xvfb of its own, the end-to-end driver
# plays an operator twice over the sample diskettes (the whole file, then the
# split set), pressing the buttons and choosing the files in the program's
# real windows. It prints a line for each box and dialog, saves a shot of
# each in build/demo/, lists each archive made (entry, size, comment in hex)
# and exits 0 when both runs end with the report that the file was copied.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
# shellcheck source=tools/install_deps.sh
source "$root/tools/install_deps.sh"
qeb_install_missing || exit 1

demo=0 preset=win64 diskettes= drive=()
while [ $# -gt 0 ]; do
  case $1 in
    --demo) demo=1 ;;
    --win32) preset=win32 ;;
    --slow) drive+=(--rate 40000) ;;
    --bad) drive+=(--bad "${2:-}") && shift ;;
    -*) echo "usage: $0 [--demo] [--win32] [--slow] [--bad NAME@OFFSET]... [DISKETTE_FOLDER]" >&2
      exit 2 ;;
    *) diskettes=$1 ;;
  esac
  shift
done
build=$root/build/$preset

mkdir -p build
echo "== building QEB_SUA.exe ($preset), the end-to-end driver and the sample generator" >&2
{ cmake --preset $preset && cmake --build --preset $preset --target QEB_SUA e2e_driver; } >build/run.build.log 2>&1 ||
  { tail -n 30 build/run.build.log; exit 1; }
{ cmake --preset native && cmake --build --preset native --target gen_sua; } >>build/run.build.log 2>&1 ||
  { tail -n 30 build/run.build.log; exit 1; }

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

# demo_script RUN STEP...: the driver's script, with a shot after each box
# and dialog.
demo_script() {
  local run=$1 step shots=0
  shift
  for step in "$@"; do
    echo "$step"
    [[ $step == box || $step == dialog ]] && printf 'shot %s-%02d-%s\n' "$run" $((shots += 1)) "$step"
  done
}

demo() {
  # shellcheck source=tests/e2e/run_e2e.sh
  source "$root/tests/e2e/run_e2e.sh"
  e2e_build=$build
  local out=$root/build/demo run ok=0
  rm -rf "$out"
  mkdir -p "$out"
  echo "== a Wine prefix and an Xvfb display of the demo's own" >&2
  e2e_start "$e2e_build/demo" || exit 1
  ln -sfn "$diskettes" "$WINEPREFIX/dosdevices/a:"
  mkdir -p "$WINEPREFIX/drive_c/QEB_SUA"
  cp "$e2e_build/QEB_SUA.exe" "$WINEPREFIX/drive_c/QEB_SUA/"
  demo_script whole start box "answer ok" dialog 'choose A:\S0307379.SUA' box "answer ok" exit \
    >"$out/whole.script"
  demo_script split start box "answer ok" dialog 'choose A:\A1234567.SU0' \
    box "answer yes" box "answer ok" dialog 'choose A:\A1234567.SU1' \
    box "answer yes" box "answer ok" dialog 'choose A:\A1234567.SU2' \
    box "answer no" box "answer ok" exit >"$out/split.script"
  for run in whole split; do
    printf '%s\n' "== $run: C:\QEB_SUA\QEB_SUA.exe"
    e2e_drive 'C:\QEB_SUA\QEB_SUA.exe' "$out/$run.script" "$out/$run.transcript" "$out"
    grep -v '^shot ' "$out/$run.transcript" | tee "$out/$run.steps"
    # The run ends with the report of the copied archive, then the exit.
    tail -n 3 "$out/$run.steps" | head -n 1 | grep -q '^box .*"El archivo concatenado se copió como: ' &&
      [ "$(tail -n 1 "$out/$run.steps")" = "exit 0" ] && ok=$((ok + 1))
  done
  printf '%s\n' "== the archives in C:\QEB_SUA\tmp"
  python3 "$root/tools/read_archive.py" --list "$WINEPREFIX/drive_c/QEB_SUA/tmp/"*.ZIP |
    sed "s|^$WINEPREFIX/drive_c/QEB_SUA/tmp/||"
  echo "== shots in $out:"
  (cd "$out" && printf '%s\n' *.png | paste -sd ' ')
  [ $ok -eq 2 ]
}
[ $demo -eq 0 ] || { demo; exit; }

prefix=$build/run-prefix
if [ ! -f "$prefix/system.reg" ] || [ ! -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ]; then
  echo "== making the Wine prefix $prefix" >&2
  qeb_make_wine_prefix "$prefix"
fi
drive_a=$diskettes
if [ ${#drive[@]} -ne 0 ]; then
  drive_a=$build/run-drive
  fusermount -uz "$drive_a" 2>/dev/null
  mkdir -p "$drive_a" && tools/diskette_drive.py "$diskettes" "$drive_a" "${drive[@]}" || exit 1
  echo "== drive A: reads $diskettes as a diskette drive does (${drive[*]})" >&2
  trap 'fusermount -uz "$drive_a"' EXIT
fi
ln -sfn "$drive_a" "$prefix/dosdevices/a:"
program_folder=$prefix/drive_c/QEB_SUA
mkdir -p "$program_folder"
cp "$build/QEB_SUA.exe" "$program_folder/"

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
  trap 'kill "$xvfb_pid" 2>/dev/null; [ "$drive_a" = "$diskettes" ] || fusermount -uz "$drive_a"' EXIT
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
