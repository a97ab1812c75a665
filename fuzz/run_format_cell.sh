#!/usr/bin/env bash
# Builds the cell formatting fuzz target with Clang and runs it: by default for 10 minutes from
# the committed corpus, then merges what it found back into a minimal corpus.
#   fuzz/run_format_cell.sh [seconds]       fuzz (default 600), then minimise the corpus
#   fuzz/run_format_cell.sh replay          run every corpus input once
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KELVO_FUZZ_BUILD:-$root/build-fuzz}"
corpus="$root/fuzz/corpus/format_cell"
target=kelvo_format_cell_fuzzer

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DKELVO_BUILD_FUZZERS=ON -DKELVO_BUILD_TESTS=OFF -DKELVO_BUILD_BENCHMARKS=OFF \
  -DKELVO_BUILD_APPS=OFF -DKELVO_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target "$target"
fuzzer="$build/fuzz/$target"

if [[ "${1:-}" == replay ]]; then
  exec "$fuzzer" -runs=0 "$corpus"
fi

seconds="${1:-600}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/found" "$work/merged"
# A hang is an input that takes more than 10 s; a crash or hang is kept in the build folder.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=512 \
  -artifact_prefix="$build/format_cell-" "$work/found" "$corpus"
# Merging by edges alone (no hit counts) keeps the corpus to a few hundred small inputs.
"$fuzzer" -merge=1 -use_counters=0 "$work/merged" "$corpus" "$work/found"
rm -f "$corpus"/*
cp "$work/merged"/* "$corpus"/
echo "corpus: $(ls "$corpus" | wc -l) inputs"
