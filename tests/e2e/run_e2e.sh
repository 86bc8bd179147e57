#!/usr/bin/env bash
# End-to-end scenarios of QEB_SUA.exe through its real windows, under Wine in
# Spanish, with an Xvfb display, a Wine prefix and drives of their own:
#
#   tests/e2e/run_e2e.sh BUILD_DIR [SCENARIO...]
#
# BUILD_DIR is a win64 or win32 build folder holding QEB_SUA.exe,
# tests/e2e/e2e_driver.exe and tools/gen_sua.exe. The scenarios are the
# blocks of scenarios.txt (its head tells their form); the program runs in
# C:\Programa Ñandú, a folder whose name is not ASCII. Screenshots land in
# BUILD_DIR/e2e/shots/SCENARIO/STEP.png. The last line is
# "e2e: N passed, M failed", and the exit code is non-zero on any failure.
# tools/run.sh --demo sources this file for its e2e_* functions.
set -uo pipefail

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/install_deps.sh
source "$e2e_here/../../tools/install_deps.sh"
# Wine runs in Spanish, as on a Spanish Windows: boxes read "Aceptar", "Sí".
export LANG=$QEB_LOCALE LC_ALL=$QEB_LOCALE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Deadlines, in seconds: nothing may hang.
kBootDeadline=180 kRunDeadline=120 kDisplayDeadline=10

e2e_stop() {
  timeout 30 wineserver -k >/dev/null 2>&1
  kill "${e2e_xvfb:-}" 2>/dev/null
  release_drives
  return 0
}

# e2e_start WORK: a display of its own (Xvfb), a fresh prefix in WORK/wine
# with unmanaged windows (no 2 s wait at each close), one Wine server kept up
# for all runs, and drives A:, B: (diskettes) and M: (a hard disk other than
# C:) mapped to WORK/drives/a, b, m. Everything ends with the shell.
e2e_start() {
  e2e_work=$1
  export WINEPREFIX=$e2e_work/wine
  # A server left by an interrupted earlier run would hold the old prefix.
  [ -d "$WINEPREFIX" ] && timeout 30 wineserver -k >/dev/null 2>&1
  fusermount -uz "$e2e_work/drive-a" 2>/dev/null  # left by an interrupted run
  [ -d "$e2e_work/drives" ] && chmod -R u+w "$e2e_work/drives"  # write-protected diskettes
  rm -rf "$e2e_work"
  mkdir -p "$e2e_work/drives/a" "$e2e_work/drives/b" "$e2e_work/drives/m"
  trap e2e_stop EXIT
  trap 'exit 130' INT TERM  # so that the clean-up runs
  # -displayfd picks a free display number and writes it once listening.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$e2e_work/display" >/dev/null 2>&1 &
  e2e_xvfb=$!
  local deadline=$((SECONDS + kDisplayDeadline)) drive
  until [ -s "$e2e_work/display" ]; do
    [ $SECONDS -lt $deadline ] && sleep 0.05 || { echo "Xvfb did not start" >&2; return 1; }
  done
  export DISPLAY=:$(head -n 1 "$e2e_work/display")
  # shellcheck disable=SC2016 # expanded by the inner shell
  timeout $kBootDeadline bash -c 'source "$1" && qeb_make_wine_prefix "$2"' _ \
    "$e2e_here/../../tools/install_deps.sh" "$WINEPREFIX" || { echo "wineboot failed" >&2; return 1; }
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -p
  # A Windows process up for the whole session (waiting on a pipe that this
  # shell holds open): with none, Wine ends its services between two runs and
  # the next program waits 10 s for RpcSs to start again.
  # shellcheck disable=SC2034 # the coprocess needs a name, not its use
  coproc e2e_keeper { wine cmd /c pause >/dev/null 2>&1; }
  for drive in a b m; do ln -sfn "$e2e_work/drives/$drive" "$WINEPREFIX/dosdevices/$drive:"; done
}

windows_path() { local path="Z:$1"; printf '%s' "${path//\//\\}"; }

# e2e_drive EXE SCRIPT REPORT SHOTS: the driver plays SCRIPT with the Windows
# program EXE, writing REPORT and SHOTS/*.png (its own messages go to
# REPORT.log). Answers the driver's exit status.
e2e_drive() {
  local args=("$1" "$(windows_path "$2")" "$(windows_path "$3")" "$(windows_path "$4")") status shot
  mkdir -p "$4"
  timeout $kRunDeadline wine "$e2e_build/tests/e2e/e2e_driver.exe" "${args[@]}" </dev/null >"$3.log" 2>&1
  status=$?
  grep -h '^longest answer' "$3.log" | sed 's/^/  /'
  # After the deadline: end this prefix's processes, keep a server up.
  [ $status -ne 124 ] || { timeout 30 wineserver -k; wineserver -p; } >/dev/null 2>&1
  for shot in "$4"/*.bmp; do [ -f "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm "$shot"; done
  return $status
}

# --- Helpers for the scenarios' setup and check lines -------------------------

gen() { timeout $kRunDeadline wine "$e2e_build/tools/gen_sua.exe" --out "$(windows_path "$1")" "${@:2}" </dev/null >/dev/null 2>&1; }

# Sample diskettes, made once: $samples/SET/files.
make_samples() {
  samples=$e2e_work/samples
  gen "$samples/whole" --name S0307379 --records 30000 --whole &&
    gen "$samples/split2" --name S0307379 --records 3000 --pieces 2 &&
    gen "$samples/split3" --name S0307379 --records 6000 --pieces 3 &&
    gen "$samples/slow-whole" --name S0307379 --records 1000 --whole &&
    gen "$samples/slow-split" --name S0307379 --records 2000 --pieces 2 || return 1
  # A whole file that does not compress: 2500 KiB of random bytes (never the
  # end-of-data mark 0x1A) ending in the validation record of a whole file.
  mkdir -p "$samples/incompressible"
  { head -c $((2500 * 1024 - 295)) /dev/urandom | tr '\032' '\033' && tail -c 295 "$samples/whole/S0307379.SUA"; } \
    >"$samples/incompressible/S0307379.SUA"
}

# put SET/FILE FOLDER [NAME]: copies a sample file onto a drive folder.
put() { mkdir -p "$2" && cp "$samples/$1" "$2/${3:-$(basename "$1")}"; }

# earlier_archive ZIP ENTRY...: an earlier run's archive, other data in each entry.
earlier_archive() {
  mkdir -p "$(dirname "$1")" && python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z: [z.writestr(n, "an earlier run") for n in sys.argv[2:]]' "$@"
}

problem() { echo "  $*"; checks_ok=0; }

# small_disk KB: the work folder on a disk of its own of KB KiB (a tmpfs; it
# needs root), so that every file the run writes there meets a real full
# disk, as Windows reports it (error 112).
small_disk() { mkdir -p "$WORK_DIR" && mount -t tmpfs -o "size=${1}k" qeb-e2e "$WORK_DIR"; }

# diskette_drive [--rate BYTES_PER_SECOND] [--bad NAME@OFFSET]...: drive A:
# reads $A_DIR through a diskette drive of its own (FUSE): slowly, or with
# sectors that cannot be read. A drive that cannot start fails the setup.
diskette_drive() {
  mkdir -p "$e2e_work/drive-a" &&
    "$e2e_here/../../tools/diskette_drive.py" "$A_DIR" "$e2e_work/drive-a" "$@" &&
    ln -sfn "$e2e_work/drive-a" "$WINEPREFIX/dosdevices/a:"
}
# release_drives: the work folder's small disk and drive A:'s diskette drive go.
release_drives() {
  if mountpoint -q "${WORK_DIR:-/nonexistent}"; then umount "$WORK_DIR"; fi
  [ -n "${e2e_work:-}" ] || return 0
  ln -sfn "$e2e_work/drives/a" "$WINEPREFIX/dosdevices/a:"
  fusermount -uz "$e2e_work/drive-a" 2>/dev/null
  return 0
}

# expect_no_work_folder / expect_work_files NAME...: the work folder is absent,
# or holds exactly these files (so no copy, joined or temporary file is left).
work_files() { find "$WORK_DIR" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | paste -sd ' '; }
expect_no_work_folder() { [ ! -e "$WORK_DIR" ] || problem "the work folder holds [$(work_files)]"; }
expect_work_files() {
  local want have
  want=$(printf '%s\n' "$@" | sed '/^$/d' | sort | paste -sd ' ') have=$(work_files 2>/dev/null)
  [ -d "$WORK_DIR" ] && [ "$want" = "$have" ] || problem "the work folder holds [$have], expected [$want]"
}

# expect_bytes FILE EXPECTED_FILE: the same bytes.
expect_bytes() { cmp -s "$1" "$2" || problem "$(basename "$1") differs from $(basename "$2")"; }

# expect_archive ZIP ENTRY EXPECTED_CONTENT: read back with Python's zipfile.
expect_archive() { python3 "$e2e_here/../../tools/read_archive.py" "$@" || checks_ok=0; }

# --- One scenario --------------------------------------------------------------

diskette_listing() { (cd "$e2e_work/drives" && find . -type f -print0 | sort -z | xargs -0r sha256sum); }

run_scenario() {  # NAME
  local name=$1 run_dir=$e2e_work/runs/$1 folder="Programa Ñandú"
  local program_dir=$WINEPREFIX/drive_c/$folder
  chmod -R u+w "$e2e_work/drives"  # a setup may have write-protected a diskette
  WORK_DIR=$program_dir/tmp && release_drives
  rm -rf "$program_dir" "$e2e_work"/drives/*/*
  mkdir -p "$program_dir" "$run_dir"
  cp "$e2e_build/QEB_SUA.exe" "$program_dir/"
  # The block's lines, its comments dropped.
  awk -v name="$name" '/^== /{on = ($2 == name); next} on && !/^#/ && NF' \
    "$e2e_here/scenarios.txt" >"$run_dir/block"
  [ -s "$run_dir/block" ] || { echo "  no scenario $name"; return 1; }
  grep -v -E '^(setup|check) ' "$run_dir/block" >"$run_dir/expected"

  # Variables for the setup and check lines (shellcheck cannot see them used).
  # shellcheck disable=SC2034
  A_DIR=$e2e_work/drives/a B_DIR=$e2e_work/drives/b M_DIR=$e2e_work/drives/m RUN_DIR=$run_dir
  WORK_DIR=$program_dir/tmp
  checks_ok=1
  eval "$(sed -n 's/^setup //p' "$run_dir/block")" || problem "the setup failed"
  diskette_listing >"$run_dir/diskettes.before"
  e2e_drive "C:\\$folder\\QEB_SUA.exe" "$run_dir/expected" "$run_dir/report" \
    "$e2e_work/shots/$name" || problem "the driver failed ($?)"
  diff -u "$run_dir/expected" "$run_dir/report" | sed 's/^/    /' >"$run_dir/diff" ||
    problem "the driver's report differs from the expected one:"$'\n'"$(cat "$run_dir/diff")"
  diskette_listing | cmp -s "$run_dir/diskettes.before" - || problem "the diskettes changed"
  eval "$(sed -n 's/^check //p' "$run_dir/block")"
  release_drives
  [ $checks_ok -eq 1 ]
}

# The table's form: every line starting with "=" is a block's header "== NAME"
# with a new name, no step stands outside a block, and each block starts the
# program and waits for its end. Prints "scenarios.txt:LINE: problem".
e2e_check_table() {
  awk '/^=/ && !/^== [a-z0-9-]+$/ { bad("not a header \"== NAME\"") }
       /^== / { if (seen[$2]++) bad("a second block " $2); name = $2; start[name] = NR; next }
       /^#/ || !NF { next }
       !name { bad("a line outside any block") }
       $1 == "start" { started[name] = 1 } $1 == "exit" { ended[name] = 1 }
       function bad(what) { printf "scenarios.txt:%d: %s\n", NR, what; failed = 1 }
       END { for (n in start) if (!started[n] || !ended[n]) {
               printf "scenarios.txt:%d: block %s lacks its start or exit\n", start[n], n; failed = 1 }
             exit failed }' "$e2e_here/scenarios.txt"
}

# --- Main ----------------------------------------------------------------------

e2e_main() {
  [ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [SCENARIO...]" >&2; exit 2; }
  e2e_build=$(cd "$1" && pwd) || exit 2
  shift
  local started=$SECONDS name t0 result passed=0 failed=0
  e2e_check_table || { echo "e2e: 0 passed, 1 failed" && exit 1; }
  # A set-up that fails counts as one failed scenario, so the summary line
  # is always the last one.
  e2e_start "$e2e_build/e2e" && make_samples || {
    echo "FAIL set-up: no display, Wine prefix or samples (Xvfb, wine, gen_sua.exe?)"
    echo "e2e: 0 passed, 1 failed" && exit 1
  }
  echo "set-up: $((SECONDS - started))s (display, prefix, samples)"

  # shellcheck disable=SC2046 # the names have no spaces
  [ $# -gt 0 ] || set -- $(sed -n 's/^== //p' "$e2e_here/scenarios.txt")
  for name; do
    t0=$SECONDS
    if run_scenario "$name"; then result=PASS passed=$((passed + 1)); else result=FAIL failed=$((failed + 1)); fi
    echo "$result $name ($((SECONDS - t0))s)"
  done
  echo "total time: $((SECONDS - started))s; shots in $e2e_work/shots"
  echo "e2e: $passed passed, $failed failed"
  [ $failed -eq 0 ]
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then e2e_main "$@"; fi
