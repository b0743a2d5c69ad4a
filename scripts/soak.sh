#!/usr/bin/env bash
# soak.sh [--program VELMOR] [--reader MATCH_FRAME] [--every SECONDS] DURATION SCENE...
#
# Runs the SDL program unattended for DURATION (seconds, or a number with m or
# h) on each SCENE in turn: each on a fresh Xvfb screen (tests/e2e/with-xvfb.sh),
# in a fresh folder where the scene is Z_Test.3ds beside the bundled Font.bmp.
# Every few seconds (default 5) it samples the program's resident memory
# (VmRSS) and reads the frame counter off a screenshot (match_frame --counter).
# After the warm-up (a quarter of the time, at most 5 minutes) the memory must
# stay within 1 MiB and the counter must move on from sample to sample; at the
# end Escape must end the program with exit code 0.
#
# Defaults are the release build's programs. Exit 0 when every scene passed,
# 1 when one failed, 2 for bad arguments, 77 when the program is not built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build/release/src/platform/sdl/velmor
reader=$root/build/release/tests/e2e/match_frame
every=5
limit_kib=1024

usage() {
    sed -n '2,2s/^# //p' "$0" >&2
    exit 2
}

seconds_of() {
    [[ "$1" =~ ^([0-9]+)([smh]?)$ ]] || usage
    local n=$((10#${BASH_REMATCH[1]}))
    case "${BASH_REMATCH[2]}" in
    h) echo $((n * 3600)) ;;
    m) echo $((n * 60)) ;;
    *) echo "$n" ;;
    esac
}

inside=0
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=$2; shift 2 ;;
    --reader) reader=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    --inside) inside=1; shift ;; # on the Xvfb screen already: one scene
    -*) usage ;;
    *) break ;;
    esac
done
[ $# -ge 2 ] || usage
duration=$(seconds_of "$1")
shift
[ -x "$program" ] || { echo "soak: $program not built: skipped"; exit 77; }
[ -x "$reader" ] || { echo "soak: $reader not built: skipped"; exit 77; }
program=$(realpath "$program") reader=$(realpath "$reader")

if [ $inside -eq 0 ]; then
    for scene in "$@"; do
        [ -f "$scene" ] || { echo "soak: no scene $scene" >&2; exit 2; }
        "$root/tests/e2e/with-xvfb.sh" "$0" --inside --program "$program" --reader "$reader" \
            --every "$every" "$duration" "$(realpath "$scene")"
    done
    exit 0
fi

scene=$1 name=$(basename "$1")
warmup=$((duration / 4 < 300 ? duration / 4 : 300))
work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "stopped by a signal"' HUP INT TERM
say() { echo "soak $name [${SECONDS}s] $*"; }
fail() {
    say "FAILED: $*"
    cat "$work/program.log"
    exit 1
}

ln -s "$scene" "$work/Z_Test.3ds"
ln -s "$root/assets/Font.bmp" "$work/Font.bmp"
(cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
pid=$!
say "program $pid: ${duration}s, warm-up ${warmup}s, a sample every ${every}s"

start=$SECONDS
rss_min="" rss_max="" first="" last="" first_at=0 last_at=0 samples=0
while [ $((SECONDS - start)) -lt "$duration" ]; do
    sleep "$every"
    kill -0 "$pid" 2>/dev/null || fail "the program ended after $((SECONDS - start))s"
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    timeout 20 xwd -root -silent -out "$work/shot.xwd" || fail "no screenshot: is the X server gone?"
    counter=$("$reader" --counter "$work/shot.xwd" "$work/Font.bmp") || counter=""
    say "rss ${rss} KiB, frame ${counter:-none}"
    [ $((SECONDS - start)) -ge "$warmup" ] || continue
    [ -n "$counter" ] || fail "no frame counter on the screen"
    [ -z "$last" ] || [ "$counter" -gt "$last" ] || fail "frame $counter after frame $last"
    [ -n "$first" ] || first=$counter first_at=$SECONDS
    last=$counter last_at=$SECONDS
    samples=$((samples + 1))
    [ -n "$rss_min" ] && [ "$rss" -ge "$rss_min" ] || rss_min=$rss
    [ -n "$rss_max" ] && [ "$rss" -le "$rss_max" ] || rss_max=$rss
    [ $((rss_max - rss_min)) -le $limit_kib ] ||
        fail "resident memory moved from ${rss_min} to ${rss_max} KiB after the warm-up"
done
[ "$samples" -ge 2 ] || fail "too short: $samples samples after the warm-up"

window=$(xdotool search --onlyvisible --name "^Velmor Engine 1.0\$" 2>/dev/null | head -n1 || true)
[ -n "$window" ] && timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
timeout 10 xdotool key Escape
code=0
timeout 60 tail --pid="$pid" -f /dev/null || fail "Escape did not end the program"
wait "$pid" || code=$?
pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
span=$((last_at > first_at ? last_at - first_at : 1))
say "passed: ${samples} samples after the warm-up; resident memory ${rss_min}..${rss_max} KiB" \
    "(spread $((rss_max - rss_min)) KiB); frames ${first}..${last}" \
    "($(((last - first) / span)) a second)"
