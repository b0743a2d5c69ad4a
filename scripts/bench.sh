#!/usr/bin/env bash
# Runs every Google Benchmark binary of the release build; extra arguments go
# to each of them (for example --benchmark_filter=REGEX).
set -euo pipefail
cd "$(dirname "$0")/.."
found=0
for bench in build/release/bench/*/bench_*; do
    [ -x "$bench" ] || continue
    found=1
    echo "bench: $bench"
    "$bench" "$@"
done
[ $found -eq 1 ] || echo "bench: no benchmarks built"
