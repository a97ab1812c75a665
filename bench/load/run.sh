#!/usr/bin/env bash
# Load tests of `kelvo serve` on loopback with wrk, over the 100,000-row table items (an index
# on its text column code), made in SQLite and in a private PostgreSQL server.
#
# The ratio table: `kelvo serve` and the floor (bench/load/floor_server.cpp: the same HTTP
# library, raw sqlite3 and libpq, the same bytes) are run alternately on page 1, the page at
# record 49,981, that page sorted on code, and a record view (by a fixed link that carries no
# count, and by the link a user clicks on the page of record 49,981); with keep-alive and with
# `Connection: close`, at 1 and at 4 connections, DURATION seconds each. Each page is first
# fetched from both and compared byte for byte; the run fails when they differ. Prints
# Kelvo/floor requests/s and p50 latency for every cell, and each server's own CPU time per
# request (user and system, from /proc; on PostgreSQL the database's work is not in it): where
# the connections outnumber the cores, that cost, not the latency, sets the requests/s.
#
# The memory run (SOAK=SECONDS): keep-alive, 4 connections, page 1 of `kelvo serve` on SQLite;
# fails when a request failed or when resident memory grew from the first 10 seconds to the
# last 10.
#   bash bench/load/run.sh                 (DURATION=4 may be set)
#   SOAK=600 bash bench/load/run.sh        (the ratio table, then the 10-minute memory run)
#   SOAK=600 TABLE=no bash bench/load/run.sh
#   PROVIDERS=postgresql bash bench/load/run.sh   (the table on one database only)
#   PAGES="page-1 record-link" bash bench/load/run.sh   (some pages only)
# KELVO_PROGRAM=path/to/kelvo runs that program instead of building build-load/apps/kelvo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/builds.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/postgres.sh"

DURATION=${DURATION:-4}
SOAK=${SOAK:-0}
TABLE=${TABLE:-yes}
PROVIDERS=${PROVIDERS:-sqlite postgresql}
# Growth allowed between the peak of the first and of the last 10 seconds, in KiB: the
# allocator's arenas settle in small steps.
RSS_SLACK_KIB=${RSS_SLACK_KIB:-2048}

KELVO_PACKAGES+=(wrk)
kelvo_install_deps >&2
# An optimised build of its own: the test command's builds are unoptimised or sanitized.
cmake -S "$KELVO_ROOT" -B "$KELVO_ROOT/build-load" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_BENCHMARKS=ON >/dev/null
targets=(kelvo_bench_floor)
[[ -z "${KELVO_PROGRAM:-}" ]] && targets+=(kelvo_program)
cmake --build "$KELVO_ROOT/build-load" --target "${targets[@]}" >/dev/null
KELVO_PROGRAM=$(realpath "${KELVO_PROGRAM:-$KELVO_ROOT/build-load/apps/kelvo}")
FLOOR_PROGRAM="$KELVO_ROOT/build-load/bench/kelvo_bench_floor"

work="$KELVO_ROOT/build-load/run"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

servers=()
stop_all() {
  local pid
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
  kelvo_postgres_stop
}
trap stop_all EXIT

# Starts a server that prints its URL on its first line; sets url and server.
start() {
  local name=$1
  shift
  : >"$name.out"
  "$@" >"$name.out" 2>"$name.log" &
  server=$!
  servers+=("$server")
  url=""
  for _ in $(seq 600); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$name.out" || true)
    [[ -n "$url" ]] && return 0
    kill -0 "$server" 2>/dev/null || break
    sleep 0.2
  done
  cat "$name.out" "$name.log" >&2
  echo "$name printed no URL" >&2
  exit 1
}

stop() {
  kill -TERM "$1"
  wait "$1" || true
}

source "$KELVO_ROOT/bench/load/pages.sh"
make_items_db
read -r -a pages <<<"${PAGES:-page-1 record-49981 sorted record-view record-link}"

# The CPU time process `pid` has used, user and system, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
ticks_per_second=$(getconf CLK_TCK)

# Prints requests/s, p50 in ms, errors (socket errors plus non-2xx) and the server's CPU
# microseconds per request of one wrk run against the server `pid`.
measure() {
  local target=$1 connections=$2 close=$3 pid=$4 out before
  out="$work/wrk.out"
  before=$(cpu_ticks "$pid")
  if [[ $close == close ]]; then
    wrk -t1 -c"$connections" -d"${DURATION}s" --latency -H 'Connection: close' "$target" >"$out"
  else
    wrk -t1 -c"$connections" -d"${DURATION}s" --latency "$target" >"$out"
  fi
  awk -v ticks=$(($(cpu_ticks "$pid") - before)) -v per_second="$ticks_per_second" '
    /^Requests\/sec:/ { rps = $2 }
    /^ +50% / { v = $2; f = 1
                if (v ~ /us$/) f = 0.001; else if (v ~ /ms$/) f = 1; else if (v ~ /s$/) f = 1000
                sub(/[a-z]+$/, "", v); p50 = v * f }
    /Socket errors:/ { gsub(",", ""); errors += $4 + $6 + $8 + $10 }
    /Non-2xx or 3xx responses:/ { errors += $5 }
    /^ +[0-9]+ requests in / { requests = $1 }
    END { printf "%s %.3f %d %.0f\n", rps, p50, errors,
                 requests ? ticks * 1e6 / per_second / requests : 0 }' "$out"
}

status=0
results="$work/results.txt"
: >"$results"

# Both servers over one database: the pages compared, then each cell measured on both.
table_for() {
  local provider=$1 db=$2 floor_option=$3
  start "kelvo-$provider" "$KELVO_PROGRAM" serve --db "$db" --port 0
  local kelvo=$server kelvo_url=$url
  mkdir -p "pages-$provider"
  local page target
  # The pages the floor takes its fixed parts from, whichever pages are measured.
  for page in page-1 record-49981 sorted record-view; do
    curl -sf -o "pages-$provider/$page.html" "$kelvo_url${paths[$page]}"
  done
  start "floor-$provider" "$FLOOR_PROGRAM" --port 0 --pages "pages-$provider" "$floor_option" "$db"
  local floor=$server floor_url=$url
  for page in "${pages[@]}"; do
    target=$(target_of "$page" "$kelvo_url")
    [[ -n $target ]] || { echo "$provider $page: no target" >&2; exit 1; }
    curl -sf -o "floor-$page.html" "$floor_url$target"
    curl -sf -o "kelvo-$page.html" "$kelvo_url$target"
    # A carried count's expiry and signature change with the second they were written in.
    sed -i -E 's/(CarriedCount(=|" value=")[0-9]+)\.[0-9]+\.[0-9a-f]+/\1/g' "kelvo-$page.html" \
      "floor-$page.html"
    if ! cmp -s "kelvo-$page.html" "floor-$page.html"; then
      echo "$provider $page: the floor's page differs from Kelvo's" >&2
      diff "kelvo-$page.html" "floor-$page.html" | head -n 20 >&2
      exit 1
    fi
  done
  local close connections k f
  for page in "${pages[@]}"; do
    for close in keep-alive close; do
      for connections in 1 4; do
        target=$(target_of "$page" "$kelvo_url")
        k=$(measure "$kelvo_url$target" "$connections" "$close" "$kelvo")
        f=$(measure "$floor_url$target" "$connections" "$close" "$floor")
        echo "$provider $page $close $connections $k $f" | tee -a "$results" >&2
      done
    done
  done
  stop "$kelvo"
  stop "$floor"
}

if [[ $TABLE == yes ]]; then
  kelvo_postgres_start
  "$KELVO_PG_BIN/psql" -X -q -v ON_ERROR_STOP=1 "$KELVO_TEST_POSTGRES" -c "
    CREATE TABLE items (id INTEGER PRIMARY KEY, code VARCHAR(20) NOT NULL, qty INTEGER NOT NULL);
    INSERT INTO items SELECT i, 'c' || lpad((i::bigint * 7919 % 100000)::text, 6, '0'), i % 97
      FROM generate_series(1, 100000) AS i;
    CREATE INDEX items_code ON items (code);
    ANALYZE items;"
  echo "Kelvo/floor, ${DURATION} s per cell (columns: provider page connection connections" \
    "Kelvo requests/s p50 ms errors CPU µs, floor requests/s p50 ms errors CPU µs)" >&2
  [[ " $PROVIDERS " == *" sqlite "* ]] && table_for sqlite "$work/items.db" --sqlite
  [[ " $PROVIDERS " == *" postgresql "* ]] && table_for postgresql "$KELVO_TEST_POSTGRES" --postgres
  kelvo_postgres_stop

  # Goals: at least 0.8 of the floor's requests/s, at most 1.25 times its p50.
  echo
  awk '
    BEGIN { printf "%-10s %-13s %-10s %2s  %9s %9s %6s  %7s %7s %6s  %9s %9s  %s\n",
              "provider", "page", "connection", "c", "Kelvo r/s", "floor r/s", "ratio",
              "Kelvo ms", "floor ms", "ratio", "Kelvo cpu", "floor cpu", "goals" }
    { rr = $5 / $9; pr = ($10 > 0 ? $6 / $10 : 0)
      goal = (rr >= 0.8 && pr <= 1.25) ? "met" : "missed"
      if ($7 + $11 > 0) goal = goal ", " $7 + $11 " errors"
      printf "%-10s %-13s %-10s %2d  %9.0f %9.0f %6.2f  %7.3f %7.3f %6.2f  %9d %9d  %s\n", $1, $2,
        $3, $4, $5, $9, rr, $6, $10, pr, $8, $12, goal
      met += (goal == "met"); n++ }
    END { printf "goals met in %d of %d cells (cpu: the server'"'"'s own CPU microseconds per" \
                 " request)\n", met, n }' "$results"
  awk '$7 + $11 > 0 { bad = 1 } END { exit bad }' "$results" || {
    echo "FAILED: requests failed" >&2
    status=1
  }
fi

if ((SOAK > 0)); then
  start kelvo-soak "$KELVO_PROGRAM" serve --db "$work/items.db" --port 0
  rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$server/status"; }
  target="$url${paths[page-1]}"
  : >soak.rss
  (for _ in $(seq "$SOAK"); do rss_kib >>soak.rss; sleep 1; done) &
  sampler=$!
  wrk -t2 -c4 -d"${SOAK}s" --latency "$target" >soak.wrk
  wait "$sampler"
  rps=$(awk '/^Requests\/sec:/ { print $2 }' soak.wrk)
  errors=$(awk '/Socket errors:/ { gsub(",", ""); print $4 + $6 + $8 + $10 }' soak.wrk)
  non2xx=$(awk '/Non-2xx or 3xx responses:/ { print $5 }' soak.wrk)
  first=$(head -n 10 soak.rss | sort -n | tail -n 1)
  last=$(tail -n 10 soak.rss | sort -n | tail -n 1)
  echo "memory run, page 1, keep-alive, 4 connections, ${SOAK} s: $rps requests/s;" \
    "errors ${errors:-0}, non-2xx ${non2xx:-0}; RSS peak of first 10 s ${first} KiB," \
    "of last 10 s ${last} KiB"
  grep -A4 'Latency Distribution' soak.wrk | sed 's/^/    /'
  if ((${errors:-0} + ${non2xx:-0} > 0)); then
    echo "memory run: FAILED: requests failed" >&2
    status=1
  fi
  if ((last > first + RSS_SLACK_KIB)); then
    echo "memory run: FAILED: resident memory grew by $((last - first)) KiB" >&2
    status=1
  fi
  kill -TERM "$server"
  wait "$server" || { echo "kelvo serve did not stop cleanly" >&2; status=1; }
fi
exit "$status"
