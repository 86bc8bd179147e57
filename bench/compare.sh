#!/usr/bin/env bash
# Times the unattended part of a run (bench_run: copy, append, checks, pack)
# against what a person would do by hand, `cat` of the pieces followed by
# Info-ZIP `zip -6` of the joined file, and against `cat` alone, on three
# generated sets:
#   small: 5 diskettes of 1,457,664 bytes
#   large: 99 pieces of about 1.47 MB, 146 MB in all
#   dense: as large, with fuller, more varied records (zip -6 about 4.3:1
#          instead of about 8:1)
# Each round runs the commands back to back (the order alternating between
# rounds), so that a drift in the machine's speed touches them alike; each
# ratio is the median of the rounds' own ratios:
#   ratio small|large|dense  bench_run over cat + zip -6
#   ratio join               bench_run's joining and checks (its own
#                            join_seconds) over cat of the same pieces, on
#                            the large set
# Each ratio is followed by its target. Then the median times, the archive
# sizes, bench_run's own split of its time and the peak resident memory of
# bench_run on each set.
#
# Environment: QEB_BUILD (default build/native) is the native build folder
# holding tools/gen_sua and bench/bench_run (built there when missing);
# QEB_BENCH_RUNS_SMALL / QEB_BENCH_RUNS_LARGE / QEB_BENCH_RUNS_DENSE (default
# 7 / 5 / 5) the rounds of each set; TMPDIR where the scratch folder goes.
set -euo pipefail
shopt -s inherit_errexit

root=$(cd "$(dirname "$0")/.." && pwd)
build=${QEB_BUILD:-build/native}
[[ $build = /* ]] || build=$root/$build
runs_small=${QEB_BENCH_RUNS_SMALL:-7}
runs_large=${QEB_BENCH_RUNS_LARGE:-5}
runs_dense=${QEB_BENCH_RUNS_DENSE:-5}
gen_sua=$build/tools/gen_sua
bench_run=$build/bench/bench_run

# The most each ratio may be.
declare -A target=([join]=2.2 [small]=0.62 [large]=0.56 [dense]=0.56)

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
  case $set in
    # 24706 records fill 5 diskettes: four of 1,457,664 bytes and one of 1,457,614.
    small) "$gen_sua" --out "$folder" --name BENCH001 --records 24706 --piece-size 1457664 ;;
    large) "$gen_sua" --out "$folder" --name BENCH001 --size 146000000 --pieces 99 ;;
    dense) "$gen_sua" --out "$folder" --name BENCH001 --size 146000000 --pieces 99 --varied ;;
  esac >/dev/null
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

piece_files() { printf '%s\n' "$1"/BENCH001.SU* | sort -V; }

# One run of cat, followed by zip -6 when WITH_ZIP is "zip": its time on
# stdout; the zip archive stays in $scratch/by-hand (cat alone: $scratch/cat).
time_by_hand() {
  local pieces=$1 with_zip=${2:-} out=$scratch/cat
  [ "$with_zip" = zip ] && out=$scratch/by-hand
  rm -rf "$out" && mkdir -p "$out"
  local -a files
  mapfile -t files < <(piece_files "$pieces")
  local start end
  start=$(now)
  cat "${files[@]}" >"$out/BENCH001.SUA"
  if [ "$with_zip" = zip ]; then (cd "$out" && zip -q -6 BENCH001.ZIP BENCH001.SUA) || fail "zip failed"; fi
  end=$(now)
  elapsed "$start" "$end"
}

# One run of cat alone: its time on stdout.
time_cat() { time_by_hand "$1"; }

report_value() { awk -v k="$1" '$1 == k { print $2 }' "$scratch/report"; }

ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", a / b }'; }

# print_ratio NAME VALUES...: the median of the values against the target.
print_ratio() {
  local name=$1
  shift
  local value
  value=$(printf '%s\n' "$@" | median)
  awk -v v="$value" -v n="$name" -v t="${target[$name]}" 'BEGIN {
    printf "ratio %s %.2f (target at most %s: %s)\n", n, v, t, (sprintf("%.2f", v) + 0 <= t + 0 ? "met" : "missed")
  }' >>"$scratch/ratios"
}

# measure SET RUNS: prints the set's lines.
measure() {
  local set=$1 runs=$2 pieces=$scratch/pieces-$1
  generate "$set" "$pieces"
  # One untimed run of each puts the pieces and the programs in the cache.
  time_program "$pieces" >/dev/null
  time_by_hand "$pieces" zip >/dev/null
  time_cat "$pieces" >/dev/null
  local -a program=() by_hand=() cat=() ratios=() join_ratios=()
  local peak_kb=0 archive_bytes=0 i p h c
  for ((i = 0; i < runs; i++)); do
    # Back to back, the order alternating, so that neither always follows the other.
    if ((i % 2 == 0)); then
      p=$(time_program "$pieces")
      c=$(time_cat "$pieces")
      h=$(time_by_hand "$pieces" zip)
    else
      h=$(time_by_hand "$pieces" zip)
      c=$(time_cat "$pieces")
      p=$(time_program "$pieces")
    fi
    program+=("$p") by_hand+=("$h") cat+=("$c")
    ratios+=("$(ratio_of "$p" "$h")")
    join_ratios+=("$(ratio_of "$(report_value join_seconds)" "$c")")
    local kb
    kb=$(report_value peak_rss_kb)
    ((kb > peak_kb)) && peak_kb=$kb
    archive_bytes=$(report_value archive_bytes)
  done
  print_ratio "$set" "${ratios[@]}"
  [ "$set" = large ] && print_ratio join "${join_ratios[@]}"
  local program_median by_hand_median cat_median zip_bytes
  program_median=$(printf '%s\n' "${program[@]}" | median)
  by_hand_median=$(printf '%s\n' "${by_hand[@]}" | median)
  cat_median=$(printf '%s\n' "${cat[@]}" | median)
  zip_bytes=$(stat -c %s "$scratch/by-hand/BENCH001.ZIP")
  {
    printf 'time %s: bench_run %.3f s, cat + zip -6 %.3f s (medians of %d rounds)\n' \
      "$set" "$program_median" "$by_hand_median" "$runs"
    printf 'cat %s: %.3f s (median of %d rounds)\n' "$set" "$cat_median" "$runs"
    awk -v a="$archive_bytes" -v z="$zip_bytes" -v s="$set" \
      'BEGIN { printf "archive %s: bench_run %d bytes, zip -6 %d bytes (%+.2f%%)\n", s, a, z, (a - z) * 100 / z }'
    printf 'split %s: join and checks %s s, pack %s s, CPU %s s (last bench_run)\n' "$set" \
      "$(report_value join_seconds)" "$(report_value pack_seconds)" "$(report_value cpu_seconds)"
  } >>"$scratch/details"
  echo "$peak_kb" >"$scratch/peak-$set"
  rm -rf "$pieces" "$scratch/work" "$scratch/by-hand" "$scratch/cat"
}

ensure_programs
: >"$scratch/ratios"
: >"$scratch/details"
measure small "$runs_small"
measure large "$runs_large"
measure dense "$runs_dense"

cat "$scratch/ratios" "$scratch/details"
small_kb=$(cat "$scratch/peak-small")
large_kb=$(cat "$scratch/peak-large")
dense_kb=$(cat "$scratch/peak-dense")
printf 'peak_rss small: %d KB\npeak_rss large: %d KB (difference %+d KB)\npeak_rss dense: %d KB (difference %+d KB)\n' \
  "$small_kb" "$large_kb" $((large_kb - small_kb)) "$dense_kb" $((dense_kb - small_kb))
