#!/usr/bin/env bash
# Installs what is missing, starts a private PostgreSQL server, then builds and runs every test
# twice: with GCC (warnings as errors) and with Clang under AddressSanitizer and
# UndefinedBehaviorSanitizer; the data tests run against SQLite and against the server. Exits
# non-zero when a build fails or any test fails in either run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/builds.sh"
source "$(dirname "${BASH_SOURCE[0]}")/postgres.sh"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

passed=0
failed=0
status=0
phase_started=0

begin_phase() {
  echo
  echo "==== $1"
  phase_started=$SECONDS
}

end_phase() {
  echo "==== $1: $((SECONDS - phase_started)) s"
}

# Runs ctest in a build folder and adds its counts to the totals. ctest's own summary line
# ("N% tests passed, F tests failed out of T") is the source of the counts.
run_tests() {
  local build_dir=$1 log
  log=$(mktemp)
  local rc=0
  ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 600 --no-tests=error \
    2>&1 | tee "$log" || rc=$?
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1 || true)
  rm -f "$log"
  if [[ -z "$summary" ]]; then
    echo "ctest in $build_dir printed no summary" >&2
    failed=$((failed + 1))
    status=1
    return
  fi
  local run_failed run_total
  run_failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  run_total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  passed=$((passed + run_total - run_failed))
  failed=$((failed + run_failed))
  if ((rc != 0 || run_failed != 0)); then
    status=1
  fi
}

begin_phase "Installing missing packages"
kelvo_install_deps
kelvo_install_node
kelvo_install_browser_packages
end_phase "Packages"

# Both runs test the PostgreSQL provider against one private server, stopped however the
# script ends.
begin_phase "Starting a private PostgreSQL server"
trap kelvo_postgres_stop EXIT
trap 'exit 130' INT TERM # leave through the EXIT trap
kelvo_postgres_start
end_phase "PostgreSQL server"

begin_phase "GCC build (warnings as errors)"
kelvo_configure_gcc
cmake --build "$KELVO_BUILD"
end_phase "GCC build"

begin_phase "GCC tests"
run_tests "$KELVO_BUILD"
end_phase "GCC tests"

begin_phase "Clang build with AddressSanitizer and UndefinedBehaviorSanitizer"
kelvo_configure_asan
cmake --build "$KELVO_BUILD_ASAN"
end_phase "Clang sanitizer build"

begin_phase "Clang sanitizer tests"
run_tests "$KELVO_BUILD_ASAN"
end_phase "Clang sanitizer tests"

echo
echo "tests: $passed passed, $failed failed"
exit "$status"
