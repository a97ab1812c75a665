#!/usr/bin/env bash
# Load test of `kelvo serve` on loopback: wrk with 4 connections for 30 seconds against the
# 20-row event-log page over the 100,000-row table, first on page 1, then on a page near the end.
# Reports requests per second, errors, and the server's resident memory, sampled every second;
# fails when a request failed or when memory grew from the first 10 seconds to the last 10.
#   bash bench/load/run.sh            (DURATION=30 CONNECTIONS=4 may be set)
# KELVO_PROGRAM=path/to/kelvo runs that program instead of building build/apps/kelvo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/builds.sh"

DURATION=${DURATION:-30}
CONNECTIONS=${CONNECTIONS:-4}
# Growth allowed between the peak of the first and of the last 10 seconds, in KiB: the
# allocator's arenas settle in small steps.
RSS_SLACK_KIB=${RSS_SLACK_KIB:-2048}

KELVO_PACKAGES+=(wrk)
kelvo_install_deps >&2
if [[ -z "${KELVO_PROGRAM:-}" ]]; then
  # An optimised build of its own: the test command's builds are unoptimised or sanitized.
  cmake -S "$KELVO_ROOT" -B "$KELVO_ROOT/build-load" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$KELVO_ROOT/build-load" --target kelvo_program >/dev/null
  KELVO_PROGRAM="$KELVO_ROOT/build-load/apps/kelvo"
fi
KELVO_PROGRAM=$(realpath "$KELVO_PROGRAM")

work="$KELVO_ROOT/build-load/run"
mkdir -p "$work"
cd "$work"
# Emptied first: the shell opens it only once the server has been forked, and the URL of an
# earlier run must not be read in between.
: >serve.out
"$KELVO_PROGRAM" serve --port 0 >serve.out 2>serve.log &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 600); do
  url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' serve.out || true)
  [[ -n "$url" ]] && break
  kill -0 "$server" 2>/dev/null || { cat serve.out serve.log >&2; exit 1; }
  sleep 0.2
done
[[ -n "$url" ]] || { echo "kelvo serve printed no URL" >&2; exit 1; }

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$server/status"; }
peak_rss=0
status=0

run() {
  local name=$1 target=$2
  curl -sf -o /dev/null "$target" || { echo "$name: $target does not answer" >&2; exit 1; }
  local samples="$work/$name.rss"
  : >"$samples"
  (for _ in $(seq "$DURATION"); do rss_kib >>"$samples"; sleep 1; done) &
  local sampler=$!
  wrk -t2 -c"$CONNECTIONS" -d"${DURATION}s" --latency "$target" >"$work/$name.wrk"
  wait "$sampler"

  local rps errors non2xx first last peak
  rps=$(awk '/^Requests\/sec:/ { print $2 }' "$work/$name.wrk")
  errors=$(awk '/Socket errors:/ { gsub(",", ""); print $4 + $6 + $8 + $10 }' "$work/$name.wrk")
  non2xx=$(awk '/Non-2xx or 3xx responses:/ { print $5 }' "$work/$name.wrk")
  first=$(head -n 10 "$samples" | sort -n | tail -n 1)
  last=$(tail -n 10 "$samples" | sort -n | tail -n 1)
  peak=$(sort -n "$samples" | tail -n 1)
  ((peak > peak_rss)) && peak_rss=$peak
  echo "$name: $rps requests/s; errors ${errors:-0}, non-2xx ${non2xx:-0};" \
    "RSS peak of first 10 s ${first} KiB, of last 10 s ${last} KiB"
  grep -A4 'Latency Distribution' "$work/$name.wrk" | sed 's/^/    /'
  if ((${errors:-0} + ${non2xx:-0} > 0)); then
    echo "$name: FAILED: requests failed" >&2
    status=1
  fi
  if ((last > first + RSS_SLACK_KIB)); then
    echo "$name: FAILED: resident memory grew by $((last - first)) KiB" >&2
    status=1
  fi
}

echo "kelvo serve at $url, $CONNECTIONS connections, ${DURATION} s per run"
run page-1 "${url}events"
run near-end "${url}events?Vexmo1CurrRecord=99961&Vexmo1CountRecords=on&Vexmo1maxrecords=20"
echo "peak RSS of the server: $peak_rss KiB"

kill -TERM "$server"
wait "$server" || { echo "kelvo serve did not stop cleanly" >&2; status=1; }
trap - EXIT
exit "$status"
