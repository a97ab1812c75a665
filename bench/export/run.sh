#!/usr/bin/env bash
# Speed and memory of the spreadsheet export of `kelvo serve`, on loopback: a 1,000,000-row,
# 8-column SQLite table (integers, reals, texts, dates) served by one page file, exported as the
# navigation bar's export icon asks for it, with curl reading to /dev/null.
#
# One checking run counts the rows of the download and its end; then RUNS timed runs each time
# the export and `sqlite3 -html` over the same SELECT, and take the server's resident memory when
# idle before the export and its peak during it (VmHWM, reset before each run). Prints the median
# throughput ratio (sqlite3 time / export time) and the largest peak growth, and fails when the
# ratio is under MIN_RATIO, the growth over MAX_GROWTH_MIB, or the download is not whole.
#   bash bench/export/run.sh          (RUNS=3 MIN_RATIO=0.7 MAX_GROWTH_MIB=64 may be set)
# KELVO_PROGRAM=path/to/kelvo runs that program instead of building build-export/apps/kelvo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/builds.sh"

RUNS=${RUNS:-3}
MIN_RATIO=${MIN_RATIO:-0.7}
MAX_GROWTH_MIB=${MAX_GROWTH_MIB:-64}
ROWS=1000000
# Each run is bounded; a stalled export fails instead of hanging.
RUN_SECONDS=600

KELVO_PACKAGES+=(curl sqlite3)
kelvo_install_deps >&2
build="$KELVO_ROOT/build-export"
if [[ -z "${KELVO_PROGRAM:-}" ]]; then
  # An optimised build of its own: the test command's builds are unoptimised or sanitized.
  cmake -S "$KELVO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$build" --target kelvo_program -- -j2 >/dev/null
  KELVO_PROGRAM="$build/apps/kelvo"
fi
KELVO_PROGRAM=$(realpath "$KELVO_PROGRAM")

work="$build/run"
mkdir -p "$work/pages"
cd "$work"

columns="id, customer, city, quantity, price, discount, ordered, shipped"
query="SELECT $columns FROM sales"
# Made once and kept: filling a million rows takes a while.
if [[ "$(sqlite3 sales.db 'SELECT COUNT(*) FROM sales' 2>/dev/null || true)" != "$ROWS" ]]; then
  echo "Making sales.db with $ROWS rows" >&2
  rm -f sales.db
  sqlite3 sales.db <<SQL
CREATE TABLE sales (
  id INTEGER PRIMARY KEY,
  customer VARCHAR(40) NOT NULL,
  city VARCHAR(30) NOT NULL,
  quantity INTEGER NOT NULL,
  price REAL NOT NULL,
  discount REAL,
  ordered DATE NOT NULL,
  shipped DATETIME
);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $ROWS)
INSERT INTO sales
SELECT i, 'Customer ' || (i * 7919 % 50021), char(65 + i % 26) || 'ville-' || (i % 97),
       1 + i % 40, round((i * 37 % 100000) / 100.0, 2),
       CASE WHEN i % 5 = 0 THEN NULL ELSE (i % 30) / 100.0 END,
       date('2020-01-01', '+' || (i % 1800) || ' days'),
       CASE WHEN i % 7 = 0 THEN NULL
            ELSE datetime('2020-01-03', '+' || (i % 1800) || ' days', '+' || (i % 86400) || ' seconds')
       END
FROM n;
SQL
fi

# RecordsMaxLimit above the row count, so that the limit cannot hide a missing row.
cat >pages/sales.toml <<TOML
title = "Sales"

[[grid]]
sql = "$query"
RecordsPerPage = 20
RecordsMaxLimit = 2000000
DisplayExcelIcon = true
TOML

# Emptied first: the server's shell truncates the file only once it runs, and a URL left by the
# last run must not be read meanwhile.
: >serve.out
"$KELVO_PROGRAM" serve --pages pages --db sales.db --host 127.0.0.1 --port 0 >serve.out 2>serve.log &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
url=
for _ in $(seq 600); do
  url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' serve.out || true)
  [[ -n "$url" ]] && break
  kill -0 "$server" 2>/dev/null || { cat serve.out serve.log >&2; exit 1; }
  sleep 0.2
done
[[ -n "$url" ]] || { echo "kelvo serve printed no URL" >&2; exit 1; }

# The request the export icon makes: the image button's click position under the grid's prefix.
export_request=(curl -sS --fail --max-time "$RUN_SECONDS" -X POST
  --data 'Vexmo1ToExcel.x=7&Vexmo1ToExcel.y=9' "${url}sales")
calc() { awk "BEGIN { print ($1) }"; }
status_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$server/status"; }

curl -sSf -o /dev/null "${url}sales" || { echo "${url}sales does not answer" >&2; exit 1; }
status=0

# The checking run: one header row, then every row of the table, and the table closed.
"${export_request[@]}" -w '%{stderr}%{size_download}' 2>check.bytes | awk '
  /^<tr>/ { rows++ }
  /^<th / { headers++ }
  /export is incomplete/ { incomplete = 1 }
  { last = $0 }
  END { sub(/\r$/, "", last); print rows - 1, headers + 0, incomplete + 0, last }
' >check.txt
read -r data_rows header_cells incomplete last_line <check.txt
checked_bytes=$(<check.bytes)
echo "export: $data_rows data rows, $header_cells header cells, $checked_bytes bytes," \
  "ends with \"$last_line\""
if [[ "$data_rows" != "$ROWS" || "$header_cells" != 8 || "$incomplete" != 0 ||
  "$last_line" != "</table>" ]]; then
  echo "FAILED: the export does not hold the $ROWS rows of the table, whole" >&2
  status=1
fi

: >runs.txt
for run in $(seq "$RUNS"); do
  idle=$(status_kib VmRSS)
  echo 5 >"/proc/$server/clear_refs" # the peak (VmHWM) starts again from the current size
  timing=$("${export_request[@]}" -o /dev/null -w '%{time_total} %{size_download}')
  peak=$(status_kib VmHWM)
  read -r export_seconds export_bytes <<<"$timing"
  if [[ "$export_bytes" != "$checked_bytes" ]]; then
    echo "FAILED: run $run sent $export_bytes bytes, the checked export $checked_bytes" >&2
    status=1
  fi
  start=$(date +%s.%N)
  timeout "$RUN_SECONDS" sqlite3 -html sales.db "$query" >/dev/null
  sqlite_seconds=$(calc "$(date +%s.%N) - $start")
  ratio=$(calc "$sqlite_seconds / $export_seconds")
  growth_mib=$(calc "($peak - $idle) / 1024")
  printf 'run %d: export %.2f s, %d bytes, %.0f rows/s; sqlite3 -html %.2f s, %.0f rows/s;' \
    "$run" "$export_seconds" "$export_bytes" "$(calc "$ROWS / $export_seconds")" \
    "$sqlite_seconds" "$(calc "$ROWS / $sqlite_seconds")"
  printf ' ratio %.3f; RSS idle %d KiB, peak %d KiB, growth %.1f MiB\n' \
    "$ratio" "$idle" "$peak" "$growth_mib"
  echo "$ratio $growth_mib $idle $peak" >>runs.txt
done

median_ratio=$(cut -d' ' -f1 runs.txt | sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }')
read -r _ max_growth growth_idle growth_peak < <(sort -g -k2,2 runs.txt | tail -n 1)
printf 'median throughput ratio (sqlite3 -html time / export time): %.3f (goal >= %s)\n' \
  "$median_ratio" "$MIN_RATIO"
printf 'largest peak RSS growth during an export: %.1f MiB, idle %d KiB to peak %d KiB' \
  "$max_growth" "$growth_idle" "$growth_peak"
printf ' (goal <= %s MiB)\n' "$MAX_GROWTH_MIB"
if (($(calc "$median_ratio < $MIN_RATIO"))); then
  echo "FAILED: the export is slower than the goal" >&2
  status=1
fi
if (($(calc "$max_growth > $MAX_GROWTH_MIB"))); then
  echo "FAILED: the server's memory grew more than the goal during the export" >&2
  status=1
fi

kill -TERM "$server"
wait "$server" || { echo "kelvo serve did not stop cleanly" >&2; status=1; }
trap - EXIT
exit "$status"
