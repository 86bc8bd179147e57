#!/usr/bin/env bash
# End-to-end scenarios of QEB_SUA.exe through its real windows, under Wine,
# with a display (Xvfb), a Wine prefix and drives of their own:
#
#   tests/e2e/run_e2e.sh BUILD_DIR [SCENARIO...]
#
# BUILD_DIR is a win64 build folder holding QEB_SUA.exe,
# tests/e2e/e2e_driver.exe and tools/gen_sua.exe (QEB_GEN_SUA may name a
# native gen_sua instead; both write the same bytes). Each scenario runs once
# with the program in C:\QEB_SUA and once in C:\Programa Ñandú:
#
#   scenarios/NAME.setup     sourced first: puts files on the drives
#   scenarios/NAME.scenario  the operator's steps, played by the driver
#   scenarios/NAME.expected  what the driver must report, line for line
#   scenarios/NAME.check     sourced last: checks the files left behind
#
# @PROGRAM_FOLDER@ in .scenario and .expected stands for the program's
# Windows folder. After every run the diskettes must be byte for byte as the
# setup left them. A setup may set LIMIT_KB: the run then has a file-size
# limit of that many KiB, a real "disk full" for every file it writes.
# Screenshots land in BUILD_DIR/e2e/shots/FOLDER/NAME-STEP.png. The last line
# is "e2e: N passed, M failed" (scenarios; one passes when it passes in both
# folders), and the exit code is non-zero on any failure.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tools/install_deps.sh
source "$here/../../tools/install_deps.sh"
# Wine runs in Spanish, as on a Spanish Windows: boxes read "Aceptar", "Sí".
export LANG=$QEB_LOCALE LC_ALL=$QEB_LOCALE
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [SCENARIO...]" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
shift
exe=$build/QEB_SUA.exe
driver=$build/tests/e2e/e2e_driver.exe
gen_sua=${QEB_GEN_SUA:-$build/tools/gen_sua.exe}
for file in "$exe" "$driver" "$gen_sua"; do
  [ -f "$file" ] || { echo "FAIL: $file is missing: build it first"; echo "e2e: 0 passed, 1 failed"; exit 2; }
done
for tool in Xvfb wine wineserver convert python3 timeout; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing"; echo "e2e: 0 passed, 1 failed"; exit 2; }
done

# Deadlines, in seconds: nothing may hang.
readonly kBootDeadline=180 kRunDeadline=120 kDisplayDeadline=10
started=$SECONDS

work=$build/e2e
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A server left by an interrupted earlier run would hold the old prefix.
[ -d "$WINEPREFIX" ] && timeout 30 wineserver -k >/dev/null 2>&1
[ -d "$work/drives" ] && chmod -R u+w "$work/drives"  # write-protected diskettes
rm -rf "$work"
mkdir -p "$work/shots" "$work/runs" "$work/samples" "$work/home"
export HOME=${HOME:-$work/home}

xvfb_pid=
cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM  # so that the cleanup runs

# polls COMMAND... every 0.05 s until it succeeds or SECONDS pass.
poll_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}

start_display() {
  # -displayfd picks a free display number and writes it once listening.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  poll_until $kDisplayDeadline test -s "$work/display" || {
    echo "run_e2e.sh: Xvfb did not start" >&2
    return 1
  }
  DISPLAY=:$(head -n 1 "$work/display")
  export DISPLAY
}

# A fresh prefix: unmanaged windows (no 2 s wait at each close), no crash
# dialog, one Wine server kept up for all runs, and drives A:, B: (diskettes)
# and M: (a hard disk other than C:) mapped to folders of their own.
make_prefix() {
  timeout $kBootDeadline bash -c "source '$here/../../tools/install_deps.sh' && qeb_make_wine_prefix '$WINEPREFIX'" ||
    { echo "run_e2e.sh: wineboot failed" >&2; return 1; }
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -p
  local drive
  for drive in a b m; do
    mkdir -p "$work/drives/$drive"
    ln -sfn "$work/drives/$drive" "$WINEPREFIX/dosdevices/$drive:"
  done
}

windows_path() { local path="Z:$1"; printf '%s' "${path//\//\\}"; }

gen() {  # FOLDER GEN_SUA_OPTIONS...
  local folder=$1
  shift
  if [[ $gen_sua == *.exe ]]; then
    timeout $kRunDeadline wine "$gen_sua" --out "$(windows_path "$folder")" "$@" </dev/null >/dev/null 2>&1
  else
    "$gen_sua" --out "$folder" "$@" >/dev/null
  fi
}

# Sample diskettes, made once: SAMPLES/SET/files.
make_samples() {
  SAMPLES=$work/samples
  gen "$SAMPLES/whole" --name S0307379 --records 3000 --whole &&
    gen "$SAMPLES/whole-big" --name S0307379 --records 30000 --whole &&
    gen "$SAMPLES/split2" --name S0307379 --records 3000 --pieces 2 &&
    gen "$SAMPLES/split3" --name S0307379 --records 6000 --pieces 3 &&
    gen "$SAMPLES/split2-big" --name S0307379 --records 10000 --pieces 2 &&
    gen "$SAMPLES/record-only" --name S0307379 --records 1 --whole || return 1
  # A whole file that does not compress: 2500 KiB of random bytes (never the
  # end-of-data mark 0x1A) ending in a validation record that fits its name.
  mkdir -p "$SAMPLES/incompressible"
  python3 - "$SAMPLES/record-only/S0307379.SUA" "$SAMPLES/incompressible/S0307379.SUA" <<'EOF' || return 1
import random, sys
record = open(sys.argv[1], "rb").read()
rng = random.Random(20240501)
body = bytearray(rng.randbytes(2500 * 1024 - len(record)))
body = body.replace(b"\x1a", b"\x1b")
open(sys.argv[2], "wb").write(bytes(body) + record)
EOF
}

# --- Helpers for .setup and .check files -------------------------------------

# put SET/FILE FOLDER [NAME]: copies a sample file onto a drive folder.
put() {
  mkdir -p "$2"
  cp "$SAMPLES/$1" "$2/${3:-$(basename "$1")}"
}

problem() { echo "  $*"; checks_ok=0; }

# expect_no_work_folder / expect_work_files NAME...: the work folder is absent,
# or holds exactly these files (so no copy, joined or temporary file is left).
work_files() { find "$WORK_DIR" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | paste -sd ' '; }
expect_no_work_folder() {
  [ -e "$WORK_DIR" ] && problem "the work folder exists, holding [$(work_files)]"
  return 0
}
expect_work_files() {
  [ -d "$WORK_DIR" ] || { problem "no work folder"; return 0; }
  local want have
  want=$(printf '%s\n' "$@" | sed '/^$/d' | sort | paste -sd ' ')
  have=$(work_files)
  [ "$want" = "$have" ] || problem "the work folder holds [$have], expected [$want]"
  return 0
}

# expect_bytes FILE EXPECTED_FILE: the same bytes.
expect_bytes() {
  cmp -s "$1" "$2" || problem "$(basename "$1") differs from $(basename "$2") ($(stat -c %s "$1" 2>/dev/null || echo no file) bytes)"
  return 0
}

# expect_archive ZIP ENTRY EXPECTED_CONTENT: read back with Python's zipfile.
expect_archive() {
  python3 "$here/read_archive.py" "$@" || checks_ok=0
  return 0
}

# --- One run -----------------------------------------------------------------

diskette_listing() { (cd "$work/drives" && find . -type f -print0 | sort -z | xargs -0r sha256sum); }

convert_shots() {
  local shot
  for shot in "$1"/*.bmp; do
    [ -f "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
}

run_driver() {  # scenario file, report, shots folder
  local args=("C:\\$folder\\QEB_SUA.exe" "$(windows_path "$1")" "$(windows_path "$2")" "$(windows_path "$3")")
  if [ -n "$LIMIT_KB" ]; then
    # The server runs outside the limit (wineserver -p); the driver and the
    # program it starts inherit it, with SIGXFSZ ignored so that a write at
    # the limit fails instead of killing the program.
    (ulimit -f "$LIMIT_KB"; trap '' XFSZ; exec timeout $kRunDeadline wine "$driver" "${args[@]}") \
      </dev/null >"$run_dir/wine.log" 2>&1
  else
    timeout $kRunDeadline wine "$driver" "${args[@]}" </dev/null >"$run_dir/wine.log" 2>&1
  fi
}

run_one() {  # scenario, program folder name, folder tag for file names
  local name=$1 tag=$3
  folder=$2
  run_dir=$work/runs/$name.$tag
  local shots=$work/shots/$tag report=$run_dir/report.txt
  local program_dir=$WINEPREFIX/drive_c/$folder
  chmod -R u+w "$work/drives"  # a setup may have write-protected a diskette
  rm -rf "$program_dir" "$work"/drives/*/* "$run_dir" "$shots/$name".tmp
  mkdir -p "$program_dir" "$run_dir" "$shots/$name.tmp"
  cp "$exe" "$program_dir/"

  # Variables for .setup and .check files (shellcheck cannot see them used).
  # shellcheck disable=SC2034
  A_DIR=$work/drives/a B_DIR=$work/drives/b M_DIR=$work/drives/m RUN_DIR=$run_dir
  WORK_DIR=$program_dir/tmp LIMIT_KB=
  local substitute="s|@PROGRAM_FOLDER@|C:\\\\$folder|g"
  checks_ok=1
  # shellcheck source=/dev/null
  [ -f "$here/scenarios/$name.setup" ] && source "$here/scenarios/$name.setup"
  [ $checks_ok -eq 1 ] || { echo "  setup failed"; return 1; }
  diskette_listing >"$run_dir/diskettes.before"
  sed "$substitute" "$here/scenarios/$name.scenario" >"$run_dir/scenario.txt"
  sed "$substitute" "$here/scenarios/$name.expected" >"$run_dir/expected.txt"

  local status
  run_driver "$run_dir/scenario.txt" "$report" "$shots/$name.tmp"
  status=$?
  if [ $status -eq 124 ]; then
    # The deadline passed: end everything of this prefix, then go on.
    echo "  no end within ${kRunDeadline}s"
    timeout 30 wineserver -k >/dev/null 2>&1
    wineserver -p
  fi
  for shot in "$shots/$name.tmp"/*.bmp; do
    [ -f "$shot" ] && mv "$shot" "$shots/$name-$(basename "$shot")"
  done
  rmdir "$shots/$name.tmp" 2>/dev/null
  convert_shots "$shots"

  [ $status -eq 0 ] || problem "driver failed ($status)"
  local differences
  if ! differences=$(diff -u "$run_dir/expected.txt" "$report" 2>&1); then
    problem "the driver's report differs from the expected one:"
    printf '%s\n' "$differences" | sed 's/^/    /'
  fi
  diskette_listing >"$run_dir/diskettes.after"
  cmp -s "$run_dir/diskettes.before" "$run_dir/diskettes.after" ||
    problem "the diskettes changed: $(diff "$run_dir/diskettes.before" "$run_dir/diskettes.after" | tr '\n' ' ')"
  # shellcheck source=/dev/null
  [ -f "$here/scenarios/$name.check" ] && source "$here/scenarios/$name.check"
  [ $checks_ok -eq 1 ]
}

# --- Main ----------------------------------------------------------------------

# A set-up that fails counts as one failed scenario, so the summary line is
# always the last one.
set_up_failed() {
  echo "FAIL set-up: $*"
  echo "e2e: 0 passed, 1 failed"
  exit 1
}
start_display || set_up_failed "no display"
make_prefix || set_up_failed "no Wine prefix"
make_samples || set_up_failed "cannot make the sample diskettes"
echo "set-up: $((SECONDS - started))s (display, prefix, samples)"

scenarios=("$@")
if [ ${#scenarios[@]} -eq 0 ]; then
  for file in "$here"/scenarios/*.scenario; do scenarios+=("$(basename "$file" .scenario)"); done
fi

passed=0 failed=0
for name in "${scenarios[@]}"; do
  ok=1
  for pair in "QEB_SUA:QEB_SUA" "Programa Ñandú:Programa_Nandu"; do
    t0=$SECONDS
    if run_one "$name" "${pair%%:*}" "${pair##*:}"; then
      echo "PASS $name (C:\\${pair%%:*}, $((SECONDS - t0))s)"
    else
      echo "FAIL $name (C:\\${pair%%:*}, $((SECONDS - t0))s)"
      ok=0
    fi
  done
  if [ $ok -eq 1 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "total time: $((SECONDS - started))s; shots in $work/shots"
echo "e2e: $passed passed, $failed failed"
[ $failed -eq 0 ]
