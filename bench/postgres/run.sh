#!/usr/bin/env bash
# Grid pages on PostgreSQL against raw libpq: starts a private PostgreSQL server, builds the
# benchmark optimised in a folder of its own (build-pgbench), runs it and prints, for the first
# page and for the page at record 900,001, the median of each side and their ratio; stops the
# server at the end.
#   bash bench/postgres/run.sh            (REPETITIONS=5 may be set)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/builds.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/postgres.sh"

REPETITIONS=${REPETITIONS:-5}
build="$KELVO_ROOT/build-pgbench"

kelvo_install_deps >&2
cmake -S "$KELVO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_APPS=OFF -DKELVO_BUILD_EXAMPLES=OFF \
  -DKELVO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target kelvo_bench_postgres_page >/dev/null

trap kelvo_postgres_stop EXIT
kelvo_postgres_start
results="$build/postgres_page_bench.csv"
"$build/bench/kelvo_bench_postgres_page" --benchmark_repetitions="$REPETITIONS" \
  --benchmark_report_aggregates_only=true --benchmark_out="$results" \
  --benchmark_out_format=csv

# The CSV rows of the medians: "BM_Name_median",iterations,real_time,cpu_time,unit,...
awk -F, '
  $1 ~ /_median"$/ { name = $1; gsub(/"|_median/, "", name); real[name] = $3 }
  END {
    printf "\nmedian wall time, ms (ratio = grid page / raw libpq)\n"
    printf "first page:        grid %.3f  raw %.3f  ratio %.2f\n", real["BM_GridFirstPage"],
      real["BM_RawFirstPage"], real["BM_GridFirstPage"] / real["BM_RawFirstPage"]
    printf "record 900,001:    grid %.3f  raw %.3f  ratio %.2f\n", real["BM_GridAtRecord900001"],
      real["BM_RawAtRecord900001"], real["BM_GridAtRecord900001"] / real["BM_RawAtRecord900001"]
  }' "$results"
