#!/usr/bin/env bash
# Builds QEB_SUA for Linux (plain and with sanitizers) and for Windows, and runs
# every test suite: the unit and end-to-end suites natively, the Windows suites
# under Wine, the archive-reader fuzzers, and the program driven through its
# real windows under Wine and Xvfb. Installs whatever is missing (as root, on
# Debian 12). Prints one summary line per suite; exits non-zero on any failure.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${QEB_FUZZ_SECONDS:-10}

# shellcheck source=tools/install_deps.sh
source "$root/tools/install_deps.sh"

log() { printf '== %s\n' "$*" >&2; }

declare -a summary=()
failed_suites=0
total_passed=0
total_failed=0

# record NAME PASSED FAILED
record() {
  summary+=("$1: $2 passed, $3 failed")
  total_passed=$((total_passed + $2))
  total_failed=$((total_failed + $3))
  [ "$3" -ne 0 ] && failed_suites=$((failed_suites + 1))
  return 0
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

# run_ctest PRESET: runs the preset's tests and records one summary line.
run_ctest() {
  local preset=$1 out="build/$1.test.log"
  log "test: $preset"
  ctest --preset "$preset" -j "$jobs" >"$out" 2>&1
  local line total failed
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
  if [ -z "$line" ]; then
    tail -n 40 "$out" >&2
    record "$preset" 0 1
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  failed=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  [ "$failed" -ne 0 ] && grep -E '^\s+[0-9]+ - ' "$out" >&2
  record "$preset" $((total - failed)) "$failed"
}

fresh_wine_prefix() {
  local prefix=$root/build/win64/wine
  [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  rm -rf "$prefix"
  mkdir -p "$prefix"
  log "fresh Wine prefix: $prefix"
  qeb_make_wine_prefix "$prefix"
}

stop_wine_prefix() {
  WINEPREFIX=$root/build/win64/wine wineserver -k 2>/dev/null
  return 0
}

run_fuzzers() {
  local ran=0 failures=0
  for target in build/native-asan/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    local name=${target##*/} corpus=fuzz/corpus/${target##*/fuzz_} scratch
    scratch=$(mktemp -d)
    log "fuzz: $name for ${fuzz_seconds}s"
    # New inputs go to the scratch folder; the committed corpus is only read.
    if "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
      -artifact_prefix="build/$name-" "$scratch" "$corpus" >"build/$name.log" 2>&1; then
      grep -E 'stat::number_of_executed_units' "build/$name.log" >&2
    else
      failures=$((failures + 1))
      tail -n 30 "build/$name.log" >&2
    fi
    ran=$((ran + 1))
    rm -rf "$scratch"
  done
  if [ "$ran" -eq 0 ]; then
    echo "no fuzz target was built" >&2
    record fuzz 0 1
  else
    record fuzz $((ran - failures)) "$failures"
  fi
}

main() {
  qeb_install_missing || exit 1
  mkdir -p build

  log "layering check"
  if python3 tools/check_layers.py >build/layers.log 2>&1; then
    record layers 1 0
  else
    cat build/layers.log >&2
    record layers 0 1
  fi

  for preset in native native-asan; do
    if build_preset "$preset"; then
      run_ctest "$preset"
      # The sanitizer build holds the fuzz targets too.
      [ "$preset" = native-asan ] && run_fuzzers
    else
      record "$preset" 0 1
    fi
  done

  if build_preset win64; then
    fresh_wine_prefix
    run_ctest win64
    if [ -x tests/e2e/run_e2e.sh ]; then
      log "end-to-end under Wine and Xvfb"
      if tests/e2e/run_e2e.sh "$root/build/win64" >build/e2e.log 2>&1; then :; fi
      line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' build/e2e.log | tail -n 1)
      if [ -n "$line" ]; then
        read -r passed failed < <(sed -E 's/^e2e: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/' <<<"$line")
        [ "$failed" -ne 0 ] && grep -E 'FAIL' build/e2e.log >&2
        record e2e "$passed" "$failed"
      else
        tail -n 40 build/e2e.log >&2
        record e2e 0 1
      fi
    fi
    stop_wine_prefix
  else
    record win64 0 1
  fi

  printf '%s\n' "${summary[@]}"
  echo "total: $total_passed passed, $total_failed failed"
  [ "$failed_suites" -eq 0 ]
}

main "$@"
