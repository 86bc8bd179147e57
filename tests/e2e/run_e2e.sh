#!/usr/bin/env bash
# End-to-end scenarios of QEB_SUA.exe under Wine, with a display, a prefix and
# drives of their own:
#
#   tests/e2e/run_e2e.sh BUILD_DIR [SCENARIO...]
#
# BUILD_DIR is a win64 build folder holding QEB_SUA.exe and
# tests/e2e/e2e_driver.exe. Each scenario (scenarios/NAME.scenario) runs once
# with the program in C:\QEB_SUA and once in C:\Programa Ñandú. The driver's
# report must equal scenarios/NAME.expected, where @PROGRAM_FOLDER@ stands for
# the program's folder; scenarios/NAME.check, when present, is then sourced to
# check the files (see the variables below). Screenshots land in
# BUILD_DIR/e2e/shots/NAME/FOLDER/ as PNG.
set -uo pipefail
export LC_ALL=C.UTF-8

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [SCENARIO...]" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
shift
exe=$build/QEB_SUA.exe
driver=$build/tests/e2e/e2e_driver.exe
for file in "$exe" "$driver"; do
  [ -f "$file" ] || { echo "run_e2e.sh: $file is missing: build it first" >&2; exit 2; }
done

work=$build/e2e
rm -rf "$work"
mkdir -p "$work/shots" "$work/reports"
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# A display of our own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "run_e2e.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")

# A fresh prefix: unmanaged windows (no 2 s wait at each close), no crash
# dialog, and one Wine server kept up for all runs.
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -p

# Drives A:, B: (diskettes) and M: (a hard disk other than C:).
for drive in a b m; do
  mkdir -p "$work/drives/$drive"
  ln -sfn "$work/drives/$drive" "$WINEPREFIX/dosdevices/$drive:"
done

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

run_one() {  # scenario, program folder name
  local name=$1 folder=$2
  local program_dir=$WINEPREFIX/drive_c/$folder
  local shots=$work/shots/$name/$folder report=$work/reports/$name.$folder.txt
  rm -rf "$program_dir" "$work"/drives/*/*
  mkdir -p "$program_dir" "$shots"
  cp "$exe" "$program_dir/"
  # Scenario variables for .setup and .check files.
  A_DIR=$work/drives/a B_DIR=$work/drives/b M_DIR=$work/drives/m
  PROGRAM_DIR=$program_dir WORK_DIR=$program_dir/tmp
  [ -f "$here/scenarios/$name.setup" ] && source "$here/scenarios/$name.setup"

  wine "$driver" "C:\\$folder\\QEB_SUA.exe" "$(windows_path "$here/scenarios/$name.scenario")" \
    "$(windows_path "$report")" "$(windows_path "$shots")" </dev/null >"$work/wine.log" 2>&1 &
  local driver_pid=$!
  wait "$driver_pid"
  local status=$?

  for shot in "$shots"/*.bmp; do
    [ -f "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  local failed=0
  if [ $status -ne 0 ]; then
    echo "  driver failed ($status)"
    failed=1
  fi
  sed "s|@PROGRAM_FOLDER@|C:\\\\$folder|g" "$here/scenarios/$name.expected" >"$report.expected"
  if ! diff -u "$report.expected" "$report"; then failed=1; fi
  if [ $failed -eq 0 ] && [ -f "$here/scenarios/$name.check" ]; then
    source "$here/scenarios/$name.check" || failed=1
  fi
  return $failed
}

scenarios=("$@")
if [ ${#scenarios[@]} -eq 0 ]; then
  for file in "$here"/scenarios/*.scenario; do scenarios+=("$(basename "$file" .scenario)"); done
fi

failures=0
for name in "${scenarios[@]}"; do
  for folder in "QEB_SUA" "Programa Ñandú"; do
    if run_one "$name" "$folder"; then
      echo "PASS $name ($folder)"
    else
      echo "FAIL $name ($folder)"
      failures=$((failures + 1))
    fi
  done
done
echo "$failures failed; shots in $work/shots"
[ $failures -eq 0 ]
