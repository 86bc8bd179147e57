#!/usr/bin/env bash
# Times the unattended part of a run (bench_run: copy, append, checks, pack)
# against what a person would do by hand, `cat` of the pieces followed by
# Info-ZIP `zip -6` of the joined file, side by side on two generated sets:
#   small: 5 diskettes of 1,457,664 bytes
#   large: 99 pieces of about 1.47 MB, 146 MB in all
# Runs alternate between the two commands; each set prints the ratio of the
# median times (program over cat + zip -6), the archive sizes and the peak
# resident memory of bench_run.
#
# Environment: QEB_BUILD (default build/native) is the native build folder
# holding tools/gen_sua and bench/bench_run (built there when missing);
# QEB_BENCH_RUNS_SMALL / QEB_BENCH_RUNS_LARGE (default 5 / 3) the runs of each
# command per set; TMPDIR where the scratch folder goes.
set -euo pipefail
shopt -s inherit_errexit

root=$(cd "$(dirname "$0")/.." && pwd)
build=${QEB_BUILD:-build/native}
[[ $build = /* ]] || build=$root/$build
runs_small=${QEB_BENCH_RUNS_SMALL:-5}
runs_large=${QEB_BENCH_RUNS_LARGE:-3}
gen_sua=$build/tools/gen_sua
bench_run=$build/bench/bench_run

fail() {
  echo "compare.sh: $*" >&2
  exit 2
}

ensure_programs() {
  command -v zip >/dev/null || fail "Info-ZIP zip is needed"
  [ -x "$gen_sua" ] && [ -x "$bench_run" ] && return
  echo "building gen_sua and bench_run in $build" >&2
  if [ "$build" = "$root/build/native" ]; then
    if [ ! -f "$build/CMakeCache.txt" ]; then
      (cd "$root" && cmake --preset native >/dev/null) || fail "cannot configure $build"
    fi
    (cd "$root" && cmake --build --preset native --target gen_sua bench_run >/dev/null) ||
      fail "cannot build gen_sua and bench_run"
  else
    [ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
    cmake --build "$build" --target gen_sua bench_run >/dev/null ||
      fail "cannot build gen_sua and bench_run"
  fi
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/qeb-compare.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# generate SET FOLDER
generate() {
  local set=$1 folder=$2
  mkdir -p "$folder"
  if [ "$set" = small ]; then
    # 24706 records fill 5 diskettes: four of 1,457,664 bytes and one of 1,457,614.
    "$gen_sua" --out "$folder" --name BENCH001 --records 24706 --piece-size 1457664 >/dev/null
  else
    "$gen_sua" --out "$folder" --name BENCH001 --size 146000000 --pieces 99 >/dev/null
  fi
}

# One run of the program: its time on stdout, its report in $scratch/report.
time_program() {
  local pieces=$1 work=$scratch/work
  rm -rf "$work" && mkdir -p "$work"
  local start end
  start=$(now)
  "$bench_run" --work "$work" "$pieces" >"$scratch/report" || fail "bench_run failed"
  end=$(now)
  elapsed "$start" "$end"
}

# One run of cat + zip -6: its time on stdout; the archive stays in $scratch/by-hand.
time_by_hand() {
  local pieces=$1 out=$scratch/by-hand
  rm -rf "$out" && mkdir -p "$out"
  local -a files
  mapfile -t files < <(ls "$pieces"/BENCH001.SU* | sort -V)
  local start end
  start=$(now)
  cat "${files[@]}" >"$out/BENCH001.SUA"
  (cd "$out" && zip -q -6 BENCH001.ZIP BENCH001.SUA) || fail "zip failed"
  end=$(now)
  elapsed "$start" "$end"
}

report_value() { awk -v k="$1" '$1 == k { print $2 }' "$scratch/report"; }

# measure SET RUNS: prints the set's lines.
measure() {
  local set=$1 runs=$2 pieces=$scratch/pieces-$1
  generate "$set" "$pieces"
  # One untimed run of each puts the pieces and both programs in the cache.
  time_program "$pieces" >/dev/null
  time_by_hand "$pieces" >/dev/null
  local -a program=() by_hand=()
  local peak_kb=0 archive_bytes=0 i
  for ((i = 0; i < runs; i++)); do
    # Alternate which goes first, so that neither always follows the other.
    if ((i % 2 == 0)); then
      program+=("$(time_program "$pieces")")
      by_hand+=("$(time_by_hand "$pieces")")
    else
      by_hand+=("$(time_by_hand "$pieces")")
      program+=("$(time_program "$pieces")")
    fi
    local kb
    kb=$(report_value peak_rss_kb)
    ((kb > peak_kb)) && peak_kb=$kb
    archive_bytes=$(report_value archive_bytes)
  done
  local program_median by_hand_median zip_bytes
  program_median=$(printf '%s\n' "${program[@]}" | median)
  by_hand_median=$(printf '%s\n' "${by_hand[@]}" | median)
  zip_bytes=$(stat -c %s "$scratch/by-hand/BENCH001.ZIP")
  awk -v p="$program_median" -v h="$by_hand_median" -v s="$set" \
    'BEGIN { printf "ratio %s %.2f\n", s, p / h }' >>"$scratch/ratios"
  {
    printf 'time %s: bench_run %.3f s, cat + zip -6 %.3f s (medians of %d runs)\n' \
      "$set" "$program_median" "$by_hand_median" "$runs"
    awk -v a="$archive_bytes" -v z="$zip_bytes" -v s="$set" \
      'BEGIN { printf "archive %s: bench_run %d bytes, zip -6 %d bytes (%+.2f%%)\n", s, a, z, (a - z) * 100 / z }'
    printf 'split %s: join and checks %s s, pack %s s, CPU %s s (last bench_run)\n' "$set" \
      "$(report_value join_seconds)" "$(report_value pack_seconds)" "$(report_value cpu_seconds)"
  } >>"$scratch/details"
  echo "$peak_kb" >"$scratch/peak-$set"
  rm -rf "$pieces" "$scratch/work" "$scratch/by-hand"
}

ensure_programs
: >"$scratch/ratios"
: >"$scratch/details"
measure small "$runs_small"
measure large "$runs_large"

cat "$scratch/ratios" "$scratch/details"
small_kb=$(cat "$scratch/peak-small")
large_kb=$(cat "$scratch/peak-large")
printf 'peak_rss small: %d KB\npeak_rss large: %d KB (difference %+d KB)\n' \
  "$small_kb" "$large_kb" $((large_kb - small_kb))
