#!/usr/bin/env bash
# Instructions and allocations per request of `kelvo serve` on SQLite, counted by callgrind:
# exact where requests/s on a shared machine are not, so that a change to the page code shows
# its cost. For each page: 20 requests to warm up, then REQUESTS requests over one keep-alive
# connection. Prints the instructions of the whole process, those of the page's task on its
# worker (from the request's data to the answer written) and the allocations.
#   bash bench/load/instructions.sh                      (REQUESTS=300 may be set)
#   PAGES="record-link" bash bench/load/instructions.sh
# KELVO_PROGRAM=path/to/kelvo counts that program instead of building build-load/apps/kelvo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/builds.sh"

REQUESTS=${REQUESTS:-300}
KELVO_PACKAGES+=(valgrind)
kelvo_install_deps >&2
cmake -S "$KELVO_ROOT" -B "$KELVO_ROOT/build-load" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_BENCHMARKS=ON >/dev/null
[[ -z "${KELVO_PROGRAM:-}" ]] && cmake --build "$KELVO_ROOT/build-load" --target kelvo_program >/dev/null
KELVO_PROGRAM=$(realpath "${KELVO_PROGRAM:-$KELVO_ROOT/build-load/apps/kelvo}")

work="$KELVO_ROOT/build-load/instructions"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
source "$KELVO_ROOT/bench/load/pages.sh"
make_items_db
read -r -a pages <<<"${PAGES:-page-1 record-view record-link}"

# Fetches `target` `count` times over one connection.
fetch() {
  local target=$1 count=$2 args=()
  for _ in $(seq "$count"); do args+=("$target" -o /dev/null); done
  curl -sf "${args[@]}"
}

printf '%-12s %14s %14s %12s\n' page instructions "page's task" allocations
for page in "${pages[@]}"; do
  rm -f callgrind.out.* serve.out
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out.%p" --dump-instr=no \
    "$KELVO_PROGRAM" serve --db "$work/items.db" --port 0 >serve.out 2>serve.log &
  server=$!
  url=""
  for _ in $(seq 600); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' serve.out || true)
    [[ -n "$url" ]] && break
    sleep 0.2
  done
  [[ -n "$url" ]] || { cat serve.log >&2; exit 1; }
  target="$url$(target_of "$page" "$url")"
  fetch "$target" 20
  callgrind_control --zero "$server" >/dev/null 2>&1
  fetch "$target" "$REQUESTS"
  callgrind_control --dump "$server" >/dev/null 2>&1
  kill "$server"
  wait "$server" || true
  counts=$(ls -t callgrind.out.*.1 | head -n 1)
  total=$(awk '/^(summary|totals):/ && !found { print $2; found = 1 }' "$counts")
  task=$(callgrind_annotate --inclusive=yes "$counts" |
    awk '/http_server.cpp:kelvo::HttpServer::Impl::RunPageOnWorker\(/ && !found {
           gsub(",", "", $1); print $1; found = 1 }')
  # Calls to operator new, whatever the allocator: callgrind names a function once, by number.
  allocations=$(awk '
    /^c?fn=\([0-9]+\) / { match($0, /\([0-9]+\)/); id = substr($0, RSTART, RLENGTH)
                          name[id] = substr($0, RSTART + RLENGTH + 1) }
    /^cfn=/ { match($0, /\([0-9]+\)/); called = name[substr($0, RSTART, RLENGTH)] }
    /^calls=/ && called ~ /^operator new/ { split($0, f, /[= ]/); n += f[2] }
    END { print n + 0 }' "$counts")
  awk -v p="$page" -v t="$total" -v k="${task:-0}" -v a="$allocations" -v n="$REQUESTS" \
    'BEGIN { printf "%-12s %14.0f %14.0f %12.1f\n", p, t / n, k / n, a / n }'
done
