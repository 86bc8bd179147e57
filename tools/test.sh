#!/usr/bin/env bash
# Builds QEB_SUA for Linux (with sanitizers) and for 64- and 32-bit Windows,
# and runs every test suite: the unit suites natively, the fuzzers, and for
# each Windows exe its unit suites under Wine and the program driven through
# its real windows under Wine and Xvfb. Installs whatever is missing (as
# root, on Debian 12). Prints one summary line per suite; exits non-zero on
# any failure, a test that did not run included.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${QEB_FUZZ_SECONDS:-10}

# shellcheck source=tools/install_deps.sh
source "$root/tools/install_deps.sh"

log() { printf '== [%ss] %s\n' "$SECONDS" "$*" >&2; }

results=$root/build/results
# Every suite, in the order of the summary; one that records nothing failed.
suites=(layers native-asan fuzz clang-tidy win64 e2e-win64 win32 e2e-win32)

# record NAME PASSED FAILED [SKIPPED]: a skipped or not-run test is a
# failure here, since every tool a test needs is installed above. Suites run
# side by side, so each writes its line to a file of its own.
record() {
  echo "$2 $3 ${4:-0}" >"$results/$1"
}

# summarize: one line per suite and the total; fails when a suite failed,
# skipped a test, passed none or recorded nothing.
summarize() {
  local name passed failed skipped total_passed=0 total_failed=0 failed_suites=0
  for name in "${suites[@]}"; do
    if ! read -r passed failed skipped <"$results/$name" 2>/dev/null; then
      echo "$name: did not run"
      failed_suites=$((failed_suites + 1)) total_failed=$((total_failed + 1))
      continue
    fi
    echo "$name: $passed passed, $failed failed, $skipped skipped"
    total_passed=$((total_passed + passed)) total_failed=$((total_failed + failed + skipped))
    # A suite that passed nothing proved nothing, whatever its other counts.
    [ $((failed + skipped)) -ne 0 ] || [ "$passed" -eq 0 ] && failed_suites=$((failed_suites + 1))
  done
  echo "total: $total_passed passed, $total_failed failed"
  [ "$failed_suites" -eq 0 ]
}

build_preset() {
  local preset=$1
  log "configure and build: $preset"
  if ! { cmake --preset "$preset" >"build/$preset.configure.log" 2>&1 &&
    cmake --build --preset "$preset" -j "$jobs" >"build/$preset.build.log" 2>&1; }; then
    tail -n 40 "build/$preset.configure.log" "build/$preset.build.log" >&2
    return 1
  fi
}

# run_ctest PRESET: runs the preset's tests and records one summary line,
# counted from ctest's JUnit report: every test listed must have run and
# passed, and every test program must have run at least one test.
run_ctest() {
  local preset=$1 out="build/$1.test.log" junit="$root/build/$1.junit.xml" counts
  log "test: $preset"
  rm -f "$junit"
  # A test that hangs fails after two minutes, not at ctest's default 25.
  ctest --preset "$preset" -j "$jobs" --timeout 120 --output-junit "$junit" >"$out" 2>&1
  counts=$(python3 tools/ctest_summary.py "$junit" "build/$preset/test_programs.txt")
  if [ "$(sed -n 2p <<<"$counts")" ]; then
    tail -n 40 "$out" >&2
    sed '1d; s/^/  /' <<<"$counts" >&2
  fi
  # shellcheck disable=SC2046 # three numbers
  record "$preset" $(head -n 1 <<<"$counts")
}

fresh_wine_prefix() {
  local prefix=$root/build/$1/wine
  [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  rm -rf "$prefix"
  mkdir -p "$prefix"
  log "fresh Wine prefix: $prefix"
  qeb_make_wine_prefix "$prefix"
}

stop_wine_prefix() {
  WINEPREFIX=$root/build/$1/wine wineserver -k 2>/dev/null
  return 0
}

# run_fuzzers: each target for fuzz_seconds on its corpus, side by side.
run_fuzzers() {
  local target name scratch failures=0
  local -a names=() pids=()
  for target in build/native-asan/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=${target##*/} scratch=build/$name-scratch
    rm -rf "$scratch" && mkdir -p "$scratch"
    log "fuzz: $name for ${fuzz_seconds}s"
    # New inputs go to the scratch folder; the committed corpus is only read.
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="build/$name-" \
      "$scratch" "fuzz/corpus/${name#fuzz_}" >"build/$name.log" 2>&1 &
    names+=("$name") pids+=($!)
  done
  if [ ${#names[@]} -eq 0 ]; then
    echo "no fuzz target was built" >&2
    record fuzz 0 1
    return
  fi
  for i in "${!names[@]}"; do
    if wait "${pids[$i]}"; then
      grep -E 'stat::number_of_executed_units' "build/${names[$i]}.log" >&2
    else
      failures=$((failures + 1))
      tail -n 30 "build/${names[$i]}.log" >&2
    fi
    rm -rf "build/${names[$i]}-scratch"
  done
  record fuzz $((${#names[@]} - failures)) "$failures"
}

# run_e2e PRESET: the scenarios through the real exe. Every block of
# scenarios.txt must have run: fewer results than blocks is a failure.
run_e2e() {
  local name=e2e-$1 log_file=build/e2e-$1.log line passed failed blocks
  log "end-to-end under Wine and Xvfb: $1"
  bash tests/e2e/run_e2e.sh "$root/build/$1" >"$log_file" 2>&1
  line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$log_file" | tail -n 1)
  blocks=$(grep -c '^== ' tests/e2e/scenarios.txt)
  if [ -z "$line" ]; then
    tail -n 40 "$log_file" >&2
    record "$name" 0 1
    return
  fi
  read -r passed failed < <(sed -E 's/^e2e: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' <<<"$line")
  [ "$failed" -ne 0 ] && grep -E -A 12 '^FAIL|^ *scenarios.txt' "$log_file" >&2
  if [ $((passed + failed)) -ne "$blocks" ]; then
    echo "$name: $((passed + failed)) scenarios ran, scenarios.txt has $blocks blocks" >&2
    record "$name" "$passed" "$failed" $((blocks - passed - failed))
  else
    record "$name" "$passed" "$failed"
  fi
}

# tidy_unit NAME FILE...: one translation unit that includes every FILE, so
# that the standard and Win32 headers are read and checked once, not once per
# file (30 s in all instead of 5 min).
tidy_unit() {
  local unit=build/tidy-$1.cpp file
  shift
  for file; do printf '#include "%s"\n' "$file"; done >"$unit"
  printf '%s\n' "$unit"
}

# run_tidy: clang-tidy, quiet, over every product file: the portable ones as
# the native build compiles them, the Windows-only ones for the 64-bit target
# with the MinGW headers (and clang's own in place of GCC's intrinsics).
run_tidy() {
  local gcc portable windows
  log "clang-tidy over every product file"
  gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
  # shellcheck disable=SC2046 # the paths have no spaces
  portable=$(tidy_unit portable $(find base sua zip ui app -name '*.cpp' ! -name '*_win32.cpp' \
    ! -path 'ui/win32/*' | sort))
  # shellcheck disable=SC2046
  windows=$(tidy_unit windows $(find base ui/win32 -name '*.cpp' \( -name '*_win32.cpp' -o \
    -path 'ui/win32/*' \) | sort))
  {
    clang-tidy --quiet --checks=-bugprone-suspicious-include "$portable" -- -std=c++20 -I"$root" \
      -O2 -DNDEBUG -Wall -Wextra
    clang-tidy --quiet --checks=-bugprone-suspicious-include "$windows" -- \
      --target=x86_64-w64-mingw32 -std=c++20 -I"$root" -O2 -DNDEBUG -Wall -Wextra -DUNICODE \
      -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -nostdinc++ -isystem"$gcc/include/c++" \
      -isystem"$gcc/include/c++/x86_64-w64-mingw32" -isystem/usr/x86_64-w64-mingw32/include
  } >build/tidy.log 2>&1
  if grep -E '(warning|error):' build/tidy.log >&2; then record clang-tidy 0 1; else record clang-tidy 1 0; fi
}

# in_wine_turn COMMAND...: one Wine job at a time (the template, then each
# Windows build's suites), in the order they ask, beside the builds.
in_wine_turn() {
  { flock 9 && "$@"; } 9>"$root/build/wine.lock"
}

# make_wine_template: one fresh Wine prefix; every prefix of the Windows
# suites is a linked copy of it.
make_wine_template() {
  log "fresh Wine prefix template"
  rm -rf build/wine-template
  qeb_make_wine_prefix "$root/build/wine-template"
}

# windows_suites PRESET: the unit suites of a Windows build under Wine, in a
# fresh prefix, and beside them the end-to-end scenarios with its exe, which
# make a prefix and a display of their own.
windows_suites() {
  local unit
  fresh_wine_prefix "$1"
  run_ctest "$1" &
  unit=$!
  run_e2e "$1"
  wait "$unit"
  stop_wine_prefix "$1"
}

# sanitizer_suites: the unit suites under the sanitizers, and the fuzzers
# beside them.
sanitizer_suites() {
  local fuzzers
  run_fuzzers &
  fuzzers=$!
  run_ctest native-asan
  wait "$fuzzers"
}

# The builds take both processors one after the other; each build's suites
# then run beside the next build, since Wine, the fuzzers and the test
# programs leave a processor idle much of the time. The suites that run
# natively run under the sanitizers: the plain native build (for the
# benchmarks and mutate.py) would only repeat them, and the Windows suites
# test the optimised product.
main() {
  local preset
  local -a pids=()
  qeb_install_missing || exit 1
  rm -rf "$results" && mkdir -p "$results"

  log "layering check"
  if python3 tools/check_layers.py >build/layers.log 2>&1; then
    record layers 1 0
  else
    cat build/layers.log >&2
    record layers 0 1
  fi

  export QEB_WINE_TEMPLATE=$root/build/wine-template
  in_wine_turn make_wine_template &
  pids+=($!)
  run_tidy &
  pids+=($!)
  if build_preset native-asan; then
    sanitizer_suites &
    pids+=($!)
  else
    record native-asan 0 1
  fi
  for preset in win64 win32; do
    if build_preset "$preset"; then
      in_wine_turn windows_suites "$preset" &
      pids+=($!)
    else
      record "$preset" 0 1
    fi
  done
  wait "${pids[@]}"

  summarize
}

main "$@"
