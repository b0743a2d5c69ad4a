#!/usr/bin/env bash
# thumb-bench.sh [--render VELMOR_RENDER] [--repeat N] [--limit SECONDS] [CORPUS_DIR]
#
# Times thumbnails of every .3ds file in CORPUS_DIR (default ../shared/corpus
# beside the repository), each as a whole process from start to the PNG on
# disk, the median of N runs (default 3): velmor-render at 256 x 256 with 4
# samples, and Debian's f3d (--output --resolution=256,256) on one Xvfb screen
# started for the purpose, since it needs a display. Peak resident memory is
# GNU time's maximum resident set size. Prints one line a file, the median and
# worst ratios of f3d's time and memory to velmor-render's, then the time of
# the whole corpus as thumbnails (128 x 128, transparent), one process a file
# as a file manager runs them. A run that takes more than the limit (default
# 20 s) is stopped and counts as failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
render=$root/build/release/tools/velmor-render/velmor-render
repeat=3
limit=20
while [ $# -gt 0 ]; do
    case "$1" in
    --render) render=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --limit) limit=$2; shift 2 ;;
    -*) sed -n '2,2s/^# //p' "$0" >&2; exit 2 ;;
    *) break ;;
    esac
done
corpus=${1:-$root/../shared/corpus}
[ -x "$render" ] || { echo "thumb-bench: no $render (build the release first)" >&2; exit 77; }
[ -d "$corpus" ] || { echo "thumb-bench: no corpus at $corpus" >&2; exit 77; }
"$root/scripts/deps.sh" thumb-bench

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# One screen for every f3d run, so that its start-up is not counted.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# One run: prints "SECONDS KIB STATUS", the wall time from start to exit.
measure() {
    local start end status=0
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss" timeout "$limit" "$@" >/dev/null 2>"$work/err" || status=$?
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))e-6 $(tail -1 "$work/rss") $status"
}

# The median of N runs' times, the largest memory and the last status.
median_of() {
    for _ in $(seq "$repeat"); do measure "$@"; done |
        sort -g | awk '{ t[NR] = $1; if ($2 > m) m = $2; s = $3 }
            END { printf "%.4f %d %d\n", t[int((NR + 1) / 2)], m, s }'
}

printf '%-44s %10s %8s %10s %8s %7s %7s\n' file velmor_s vel_MiB f3d_s f3d_MiB t_ratio m_ratio
for file in "$corpus"/*.3ds; do
    name=$(basename "$file")
    read -r vt vm vs < <(median_of "$render" --size 256 --samples 4 "$file" "$work/v.png")
    read -r ft fm fs < <(median_of f3d --output="$work/f.png" --resolution=256,256 "$file")
    ratio=-
    mratio=-
    if [ "$vs" = 0 ] && [ "$fs" = 0 ]; then
        ratio=$(awk -v f="$ft" -v v="$vt" 'BEGIN { printf "%.1f", f / v }')
        mratio=$(awk -v f="$fm" -v v="$vm" 'BEGIN { printf "%.1f", f / v }')
    fi
    printf '%-44s %10s %8.1f %10s %8.1f %7s %7s\n' "$name" "$vt$([ "$vs" = 0 ] || echo '!')" \
        "$(awk -v k="$vm" 'BEGIN { print k / 1024 }')" "$ft$([ "$fs" = 0 ] || echo '!')" \
        "$(awk -v k="$fm" 'BEGIN { print k / 1024 }')" "$ratio" "$mratio"
    echo "$ratio $mratio" >>"$work/ratios"
done | tee "$work/table"
echo "(! : the program failed on that file or ran past ${limit} s; no ratio)"

awk '$1 != "-" { print $1 }' "$work/ratios" | sort -g | awk '{ r[NR] = $1 }
    END { printf "time ratio f3d/velmor-render over %d files: median %.1f, worst %.1f\n",
          NR, (NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2), r[1] }'
awk '$2 != "-" { print $2 }' "$work/ratios" | sort -g | awk '{ r[NR] = $1 }
    END { printf "memory ratio f3d/velmor-render: median %.1f, worst %.1f\n",
          (NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2), r[1] }'

# The whole corpus as a file manager thumbnails a folder: one process a file.
mkdir "$work/thumbnails"
start=$(date +%s%N)
n=0
for file in "$corpus"/*.3ds; do
    n=$((n + 1))
    "$render" --size 128 --background none "$file" "$work/thumbnails/$n.png" 2>/dev/null || true
done
end=$(date +%s%N)
echo "whole corpus as 128 x 128 thumbnails, $n processes: $(awk -v ns=$((end - start)) \
    'BEGIN { printf "%.3f", ns / 1e9 }') s"
