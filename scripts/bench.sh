#!/usr/bin/env bash
# Runs velmor-bench on the shared benchmark scenes, then every Google
# Benchmark binary of the release build; extra arguments go to each of those
# (for example --benchmark_filter=REGEX). Timings mean something only on an
# idle machine, so the load is printed first.
#   FRAMES   frames per scene for velmor-bench (default 200)
#   THREADS  threads velmor-bench draws with (default one per core)
#   SHARED   folder with bench/ (default ../shared)
set -euo pipefail
cd "$(dirname "$0")/.."
shared=${SHARED:-$(cd .. && pwd)/shared}
echo "bench: load average $(cut -d ' ' -f 1-3 /proc/loadavg 2>/dev/null || echo unknown)"

scenes=()
for name in stress_1k stress_10k stress_100k stress_1m fill fill_zreject; do
    [ -f "$shared/bench/$name.3ds" ] && scenes+=("$shared/bench/$name.3ds")
done
if [ ${#scenes[@]} -gt 0 ]; then
    threads=()
    [ -n "${THREADS:-}" ] && threads=(--threads "$THREADS")
    build/release/tools/velmor-bench/velmor-bench --frames "${FRAMES:-200}" "${threads[@]}" \
        "${scenes[@]}"
else
    echo "bench: no scenes in $shared/bench, velmor-bench skipped"
fi

found=0
for bench in build/release/bench/*/bench_*; do
    [ -x "$bench" ] || continue
    found=1
    echo "bench: $bench"
    "$bench" "$@"
done
[ $found -eq 1 ] || echo "bench: no benchmarks built"
