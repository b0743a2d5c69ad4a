#!/usr/bin/env bash
# Runs velmor-bench of the release build and velmor-bench built for the web
# (under node) on each shared benchmark scene, one after the other, and prints
# a table of their medians and the web build's time as a multiple of the
# native one; then the sizes of what the page loads, raw and gzipped.
# Timings mean something only on an idle machine, so the load is printed first.
#   FRAMES   frames per scene (default 200)
#   SHARED   folder with bench/ (default ../shared)
set -euo pipefail
cd "$(dirname "$0")/.."
shared=${SHARED:-$(cd .. && pwd)/shared}
frames=${FRAMES:-200}
native=build/release/tools/velmor-bench/velmor-bench
web=build/web-build/tools/velmor-bench/velmor-bench.js
for program in "$native" "$web"; do
    [ -f "$program" ] || { echo "bench-web: $program not built (make release web)" >&2; exit 1; }
done
echo "bench-web: load average $(cut -d ' ' -f 1-3 /proc/loadavg 2>/dev/null || echo unknown)"

field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }

printf '%-12s %8s %12s %12s %6s %10s %10s\n' scene faces native_ms web_ms ratio native_min web_min
for name in stress_1k stress_10k stress_100k stress_1m fill fill_zreject; do
    scene=$shared/bench/$name.3ds
    [ -f "$scene" ] || continue
    n=$("$native" --frames "$frames" "$scene")
    w=$(node --no-experimental-fetch "$web" --frames "$frames" "$scene")
    printf '%-12s %8s %12s %12s %6s %10s %10s\n' "$name" "$(field faces "$n")" \
        "$(field median_ms "$n")" "$(field median_ms "$w")" \
        "$(awk -v a="$(field median_ms "$w")" -v b="$(field median_ms "$n")" 'BEGIN { printf "%.2f", a / b }')" \
        "$(field min_ms "$n")" "$(field min_ms "$w")"
done

echo
printf '%-14s %10s %10s\n' file bytes gzip_-9
for file in build/web/velmor.wasm build/web/velmor.js build/web/velmor.data build/web/index.html \
    build/web/page.js build/web/page.css; do
    [ -f "$file" ] || continue
    printf '%-14s %10s %10s\n' "$(basename "$file")" "$(wc -c <"$file")" "$(gzip -9 -c "$file" | wc -c)"
done
