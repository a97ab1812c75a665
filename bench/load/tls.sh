#!/usr/bin/env bash
# The cost of HTTPS against plain HTTP: the same demo page from two `kelvo serve` processes
# over one demo database, one plain and one with a throwaway self-signed certificate, measured
# alternately with wrk over keep-alive (so the handshake is paid once per connection), three
# rounds at 1 and at 4 connections. Prints requests/s of each and their ratio.
#   KELVO_PROGRAM=build/apps/kelvo bash bench/load/tls.sh   (PAGE=/orders, DURATION=4)
set -euo pipefail
K=${KELVO_PROGRAM:?}
PAGE=${PAGE:-/orders}
D=${DURATION:-4}
cd "$(mktemp -d)"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
  -subj /CN=localhost -keyout key.pem -out cert.pem 2>/dev/null
"$K" serve --port 0 > plain.out 2>/dev/null & A=$!
sleep 2
"$K" serve --port 0 --tls-cert cert.pem --tls-key key.pem > tls.out 2>/dev/null & B=$!
trap 'kill $A $B 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  ua=$(grep -o 'http://127\.0\.0\.1:[0-9]*' plain.out || true)
  ub=$(grep -o 'https://127\.0\.0\.1:[0-9]*' tls.out || true)
  [[ -n "$ua" && -n "$ub" ]] && break
  sleep 0.2
done
[[ $(curl -s -o /dev/null -w '%{http_code}' "$ua$PAGE") == 200 ]]
[[ $(curl -sk -o /dev/null -w '%{http_code}' "$ub$PAGE") == 200 ]]
for c in 1 4; do
  for round in 1 2 3; do
    a=$(wrk -t1 -c$c -d${D}s "$ua$PAGE" | awk '/Requests\/sec/ {print $2}')
    b=$(wrk -t1 -c$c -d${D}s "$ub$PAGE" | awk '/Requests\/sec/ {print $2}')
    echo "connections=$c round=$round http=$a https=$b ratio=$(echo "scale=3; $b/$a" | bc)"
  done
done
