#!/usr/bin/env bash
# Paging bench: the pages of a 10,000,000-row SQLite table and a 1,000,000-row PostgreSQL
# table (items: id the primary key, code an indexed text in an order unlike id's), served by
# `kelvo serve` with its served defaults (SeekPaging on, CountTimeoutMs 250, CountCacheSeconds
# 30) and requested over one keep-alive connection as a user reaches them: page 1 (First), the
# middle page by Next from the page before it, the last page (Last), the middle page sorted on
# code by Next, and the record view opened by a record link of the middle page.
#
# Three groups per database, all cells of a database measured in alternation:
#   carried  the requests carry the count the pages hand on (a user paging within 30 s)
#   fresh    no carried count: each page counts again, under the 250 ms budget
#   budget   a page file over the table less one row in 97 (a filter no index serves) with
#            CountTimeoutMs 25, so that the exact count is slower than the budget on both
#            databases and each page shows the estimate
#   budget-carried  the same pages carrying the estimate the first page took, as a user paging on
# Goals, against page 1 of the carried group: a carried page costs at most 2x page 1; a fresh
# or budget page at most its budget plus 2x page 1. Prints medians, ratios and the goals; fails
# when a page shows other records than expected.
#   bash bench/paging/run.sh         (ROUNDS=25 and DATABASES="sqlite postgresql" may be set)
# The SQLite file is kept in build/bench-paging and made again only when missing.
# KELVO_PROGRAM=path/to/kelvo runs that program instead of building build/apps/kelvo.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/builds.sh"
source "$here/../../scripts/postgres.sh"

ROUNDS=${ROUNDS:-25}
DATABASES=${DATABASES:-sqlite postgresql}
SQLITE_ROWS=10000000
POSTGRES_ROWS=1000000
# The page file's filter keeps the rows whose qty is not 13: i % 97 = 13 for one row in 97.
filtered() { echo $(($1 - ($1 + 97 - 13) / 97)); }
last_kept() {
  local id=$1
  ((id % 97 == 13)) && id=$((id - 1))
  echo "$id"
}

if [[ -z "${KELVO_PROGRAM:-}" ]]; then
  [[ -f "$KELVO_BUILD/build.ninja" ]] || kelvo_configure_gcc >/dev/null
  cmake --build "$KELVO_BUILD" --target kelvo_program >/dev/null
  KELVO_PROGRAM="$KELVO_BUILD/apps/kelvo"
fi
KELVO_PROGRAM=$(realpath "$KELVO_PROGRAM")

work="$KELVO_BUILD/bench-paging"
mkdir -p "$work"
cd "$work"

db="$work/items-$SQLITE_ROWS.db"
if [[ ! -f "$db" ]]; then
  echo "making $db" >&2
  sqlite3 "$db.part" "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;
    CREATE TABLE items (id INTEGER PRIMARY KEY, code VARCHAR(20) NOT NULL, qty INTEGER NOT NULL);
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $SQLITE_ROWS)
    INSERT INTO items SELECT i, 'c' || printf('%08d', i * 7919 % $SQLITE_ROWS), i % 97 FROM n;
    CREATE INDEX items_code ON items (code);" >/dev/null
  mv "$db.part" "$db"
fi

rm -rf pages
mkdir -p pages
cat >pages/filtered.toml <<'EOF'
title = "Items but qty 13"
[[grid]]
sql = "SELECT id, code, qty FROM items WHERE qty <> 13"
EditPrimaryKeys = "id"
OrderByFields = "id"
DisplayNavBar = "both"
CountTimeoutMs = 25
EOF

server=""
stop_all() {
  [[ -n "$server" ]] && kill "$server" 2>/dev/null || true
  kelvo_postgres_stop
}
trap stop_all EXIT

# Starts kelvo serve on a database; sets url and server.
start() {
  : >serve.out
  "$KELVO_PROGRAM" serve --db "$1" --pages pages --port 0 >serve.out 2>serve.log &
  server=$!
  url=""
  for _ in $(seq 300); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' serve.out || true)
    [[ -n "$url" ]] && return 0
    sleep 0.2
  done
  cat serve.out serve.log >&2
  exit 1
}

results="$work/results.txt"
: >"$results"

# Measures the three groups of one database; the groups run one after the other, each
# alternating its cells, and page 1 of the carried group runs again in every group so that
# each group's ratios have a baseline measured beside them.
measure_database() {
  local provider=$1 rows=$2
  start "$3"
  local group carried path count last
  for group in carried fresh budget budget-carried; do
    carried=""
    path=/table/items
    count=$rows
    last=$rows
    [[ $group == carried || $group == budget-carried ]] && carried=--carried
    if [[ $group == budget* ]]; then
      path=/filtered
      count=$(filtered "$rows")
      last=$(last_kept "$rows")
    fi
    python3 "$here/measure.py" --url "$url" --path "$path" --group "$provider $group" \
      --rows "$count" --last-key "$last" --rounds "$ROUNDS" $carried --baseline /table/items |
      tee -a "$results" >&2
  done
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=""
}

if [[ " $DATABASES " == *" sqlite "* ]]; then
  measure_database sqlite "$SQLITE_ROWS" "$db"
fi

if [[ " $DATABASES " == *" postgresql "* ]]; then
kelvo_postgres_start >&2
"$KELVO_PG_BIN/psql" -X -q -v ON_ERROR_STOP=1 "$KELVO_TEST_POSTGRES" \
  -c "CREATE TABLE items (id INTEGER PRIMARY KEY, code VARCHAR(20) NOT NULL, qty INTEGER NOT NULL);
      INSERT INTO items SELECT i, 'c' || lpad((i::bigint * 7919 % $POSTGRES_ROWS)::text, 7, '0'),
        i % 97 FROM generate_series(1, $POSTGRES_ROWS) AS i;
      CREATE INDEX items_code ON items (code);" \
  -c "VACUUM ANALYZE items"
measure_database postgresql "$POSTGRES_ROWS" "$KELVO_TEST_POSTGRES"
kelvo_postgres_stop
fi

# Lines: provider group, page, median ms, p90 ms, baseline median ms, count text, fastest ms.
echo
awk -F'\t' '
  BEGIN {
    printf "%-22s %-22s %9s %9s %9s %9s %6s  %-7s %s\n", "database, group", "page", "median ms",
      "fastest", "p90 ms", "page 1 ms", "ratio", "goal", "count shown"
  }
  {
    split($1, words, " "); group = words[2]
    budget = group == "fresh" ? 250 : group ~ /^budget/ ? 25 : 0
    ratio = $3 / $5
    goal = $3 <= budget + 2 * $5 ? "met" : "MISSED"
    printf "%-22s %-22s %9.2f %9.2f %9.2f %9.2f %6.2f  %-7s %s\n", $1, $2, $3, $7, $4, $5, ratio,
      goal, $6
    met += goal == "met"; n++
  }
  END { printf "goals met in %d of %d cells (goal: median <= budget + 2 x page 1; budget 0 for carried, 250 fresh, 25 budget and budget-carried)\n", met, n }' "$results"
