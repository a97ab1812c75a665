#!/usr/bin/env bash
# The cost of a signed-in page against an anonymous one: the same demo page from two
# `kelvo serve` processes over one demo database, one without users and one with --users (its
# requests carry a session cookie), measured alternately with wrk over keep-alive, three rounds
# at 1 and at 4 connections. Prints requests/s of each and their ratio.
#   KELVO_PROGRAM=build/apps/kelvo bash bench/load/signed_in.sh   (PAGE=/orders, DURATION=4)
set -euo pipefail
K=${KELVO_PROGRAM:?}
PAGE=${PAGE:-/orders}
D=${DURATION:-4}
cd "$(mktemp -d)"
printf 'bench-password\n' | "$K" users add bench --role editor --users users.toml
"$K" serve --port 0 > anon.out 2>/dev/null & A=$!
sleep 2
"$K" serve --port 0 --users users.toml > signed.out 2>/dev/null & B=$!
trap 'kill $A $B 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  ua=$(grep -o 'http://127\.0\.0\.1:[0-9]*' anon.out || true)
  ub=$(grep -o 'http://127\.0\.0\.1:[0-9]*' signed.out || true)
  [[ -n "$ua" && -n "$ub" ]] && break
  sleep 0.2
done
cookie=$(curl -si -d 'user=bench&password=bench-password' "$ub/login" | grep -o 'kelvo_session=[^;]*')
[[ $(curl -s -o /dev/null -w '%{http_code}' -b "$cookie" "$ub$PAGE") == 200 ]]
[[ $(curl -s -o /dev/null -w '%{http_code}' "$ua$PAGE") == 200 ]]
for c in 1 4; do
  for round in 1 2 3; do
    a=$(wrk -t1 -c$c -d${D}s "$ua$PAGE" | awk '/Requests\/sec/ {print $2}')
    b=$(wrk -t1 -c$c -d${D}s -H "Cookie: $cookie" "$ub$PAGE" | awk '/Requests\/sec/ {print $2}')
    echo "connections=$c round=$round anonymous=$a signed_in=$b ratio=$(echo "scale=3; $b/$a" | bc)"
  done
done
