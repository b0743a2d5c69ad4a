#!/usr/bin/env bash
# gl-bench.sh [--rounds N] [--sizes "WxH ..."] [--realtime] [BENCH_DIR]
#
# Times the benchmark scenes (default ../shared/bench beside the repository)
# with velmor-bench on one and on two threads and with velmor-gl-bench on
# Mesa's llvmpipe with LP_NUM_THREADS 0, 1 and 2, at each size, in N rounds
# (default 3) that take the five in turn, so that a busy moment of a shared
# machine falls on all of them alike. Prints every run's line, then per scene
# and size the median over the rounds of each one's median frame time,
# llvmpipe's best of its thread counts, and llvmpipe's time over Velmor's
# two-thread time. Frames: 200 at 512 x 384, 60 at 1920 x 1080, 20 above
# (a tenth of that for stress_1m). --realtime runs each program at real-time
# priority (chrt -f 50, as root), so that other processes of a shared machine
# do not take its cores in the middle of a frame.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$root/build/release/tools/velmor-bench/velmor-bench
gl=$root/build/release/bench/gl/velmor-gl-bench
rounds=3
sizes="512x384 1920x1080 3840x2160"
priority=()
while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --realtime) priority=(chrt -f 50); shift ;;
    -*) sed -n '2,2s/^# //p' "$0" >&2; exit 2 ;;
    *) break ;;
    esac
done
dir=${1:-$root/../shared/bench}
for program in "$bench" "$gl"; do
    [ -x "$program" ] || { echo "gl-bench: no $program (build the release first)" >&2; exit 77; }
done
[ -d "$dir" ] || { echo "gl-bench: no benchmark scenes at $dir" >&2; exit 77; }
small="$dir/stress_1k.3ds $dir/stress_10k.3ds $dir/stress_100k.3ds $dir/fill.3ds $dir/fill_zreject.3ds"
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe EGL_PLATFORM=surfaceless

frames_for() {
    case "$1" in 512x384) echo 200 ;; 1920x1080) echo 60 ;; *) echo 20 ;; esac
}

# One program on every scene at one size: prefix, then its command.
run_all() {
    local tag=$1 size=$2 frames
    shift 2
    frames=$(frames_for "$size")
    "${priority[@]}" "$@" --size "$size" --frames "$frames" $small | sed "s/^/$tag /"
    "${priority[@]}" "$@" --size "$size" --frames $(((frames + 9) / 10)) "$dir/stress_1m.3ds" | sed "s/^/$tag /"
}

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for round in $(seq "$rounds"); do
    echo "# round $round, load $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    for size in $sizes; do
        run_all velmor1 "$size" "$bench" --threads 1
        run_all velmor2 "$size" "$bench" --threads 2
        for lp in 0 1 2; do
            LP_NUM_THREADS=$lp run_all "llvmpipe$lp" "$size" "$gl" 2>/dev/null
        done
    done
done | tee "$log"

python3 - "$log" <<'PY'
import re, statistics, sys
runs = {}
for line in open(sys.argv[1]):
    tag, rest = line.split(' ', 1)
    f = dict(kv.split('=') for kv in rest.split())
    runs.setdefault((f['scene'], f['size'], tag), []).append(float(f['median_ms']))
med = {k: statistics.median(v) for k, v in runs.items()}
print('%-13s %-10s %8s %8s %8s %8s %8s %8s %7s' % ('scene', 'size', 'velmor1', 'velmor2',
      'lp0', 'lp1', 'lp2', 'lp_best', 'ratio'))
for scene, size in sorted({(s, z) for s, z, _ in med}, key=lambda k: (k[0], int(k[1].split('x')[0]))):
    g = lambda t: med.get((scene, size, t), float('nan'))
    best = min(g('llvmpipe0'), g('llvmpipe1'), g('llvmpipe2'))
    print('%-13s %-10s %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %7.1f' % (scene, size, g('velmor1'),
          g('velmor2'), g('llvmpipe0'), g('llvmpipe1'), g('llvmpipe2'), best, best / g('velmor2')))
PY
