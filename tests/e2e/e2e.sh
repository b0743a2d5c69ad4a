#!/usr/bin/env bash
# e2e.sh sdl|windows PROGRAM CAPTURE MATCH ASSETS [--check WIN32_CHECK]
#        [--hashes LINUX_HASHES WINDOWS_HASHES SCENES_DIR]
#
# Runs the real program on the X screen that with-xvfb.sh set up (512 x 384 x
# 24), in a folder holding the two assets; takes a screenshot once frames are
# showing, sends Escape, and requires exit code 0 and a screenshot equal, pixel
# for pixel, to one of the frames that velmor-capture writes for the same
# scene. For windows, PROGRAM is velmor.exe, run under Wine in a fresh prefix,
# after the backend's own check program when one is given; with --hashes, the
# frames that the Linux and Windows builds draw of the assets' scene and of every
# scene in SCENES_DIR (when it exists) must hash the same.
# Every step has a time limit; every process started here is stopped by its id.
# Exit 77 (skipped) when the program has not been built.
set -euo pipefail

kind=$1 program=$2 capture=$3 match=$4 assets=$5
shift 5
check="" hashes_linux="" hashes_windows="" scenes=""
while [ $# -gt 0 ]; do
    case "$1" in
    --check) check=$2; shift 2 ;;
    --hashes) hashes_linux=$2 hashes_windows=$3 scenes=$4; shift 4 ;;
    *) echo "e2e: unknown argument $1" >&2; exit 2 ;;
    esac
done
frames=${E2E_FRAMES:-300}
title="Velmor Engine 1.0"

[ -x "$program" ] || [ -f "$program" ] || { echo "e2e: $program not built: skipped"; exit 77; }
program=$(realpath "$program") capture=$(realpath "$capture") match=$(realpath "$match")
assets=$(realpath "$assets")
[ -z "$check" ] || check=$(realpath "$check")
[ -z "$hashes_linux" ] || hashes_linux=$(realpath "$hashes_linux")
[ -z "$hashes_windows" ] || hashes_windows=$(realpath "$hashes_windows")
[ -n "${DISPLAY:-}" ] || { echo "e2e: run me under with-xvfb.sh" >&2; exit 2; }

work=$(mktemp -d)
program_pid=""
started=$(date +%s%N)

say() {
    local tenths=$((($(date +%s%N) - started) / 100000000))
    printf 'e2e %s [%3d.%ds] %s\n' "$kind" $((tenths / 10)) $((tenths % 10)) "$*"
}

cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [ "$kind" = windows ] && [ -d "${WINEPREFIX:-/nonexistent}" ]; then
        timeout 20 wineserver -k 2>/dev/null || true
        timeout 20 wineserver -w 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/run" "$work/frames"
cp "$assets/Z_Test.3ds" "$assets/Font.bmp" "$work/run/"

say "capturing $frames frames with velmor-capture"
(cd "$work/run" && timeout 300 "$capture" --frames "$frames" --out "$work/frames" >/dev/null)

if [ "$kind" = windows ]; then
    say "velmor.exe is a GUI program that imports only Windows' own DLLs"
    headers=$(x86_64-w64-mingw32-objdump -p "$program")
    grep -q "^Subsystem.*(Windows GUI)" <<<"$headers" || { say "FAILED: not a GUI program"; exit 1; }
    dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
    echo "imports: $dlls"
    for dll in $dlls; do
        case "$dll" in
        DDRAW.DLL | GDI32.DLL | KERNEL32.DLL | MSVCRT.DLL | USER32.DLL) ;;
        *) say "FAILED: velmor.exe imports $dll"; exit 1 ;;
        esac
    done
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    say "making a fresh Wine prefix"
    timeout 120 wineboot -i >/dev/null 2>&1
    timeout 60 wineserver -w
    if [ -n "$check" ]; then
        say "running the backend check"
        (cd "$work/run" && timeout 60 wine "$check")
        timeout 30 wineserver -w
    fi
    if [ -n "$hashes_windows" ]; then
        mkdir -p "$work/scenes"
        cp "$assets/Z_Test.3ds" "$work/scenes/"
        [ -d "$scenes" ] && cp "$scenes"/*.3ds "$work/scenes/" 2>/dev/null
        say "hashing 100 frames of $(ls "$work/scenes" | wc -l) scenes with both builds"
        (cd "$work/scenes" && timeout 300 "$hashes_linux" *.3ds) >"$work/hashes.linux"
        (cd "$work/scenes" && timeout 300 wine "$hashes_windows" *.3ds) | tr -d '\r' \
            >"$work/hashes.windows"
        timeout 30 wineserver -w
        if ! diff "$work/hashes.linux" "$work/hashes.windows"; then
            say "FAILED: the Linux and Windows builds draw different frames"
            exit 1
        fi
        say "same frames from both builds"
    fi
    cp "$program" "$work/run/velmor.exe"
    launch=(wine velmor.exe)
else
    say "without a display the program must say so and end with 1"
    set +e
    (cd "$work/run" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$program") 2>"$work/nodisplay.log"
    no_display_code=$?
    set -e
    cat "$work/nodisplay.log"
    [ "$no_display_code" -eq 1 ] && grep -q "no display" "$work/nodisplay.log" ||
        { say "FAILED: without a display: exit code $no_display_code"; exit 1; }
    launch=("$program")
fi

say "starting the program"
(cd "$work/run" && exec timeout 120 "${launch[@]}") >"$work/program.log" 2>&1 &
program_pid=$!

window=""
for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    say "no window appeared"
    cat "$work/program.log"
    exit 1
fi
say "window $window is up"
# The window shows before the display is taken over; wait for the first frames.
for _ in $(seq 60); do
    timeout 20 xwd -root -silent -out "$work/first.xwd"
    blank=0
    "$match" --blank "$work/first.xwd" 2>/dev/null || blank=$?
    [ "$blank" -eq 1 ] && break
    sleep 0.5
done
say "frames are showing"
sleep 1

# Three screenshots a little apart, each of another frame: every one of them
# must equal a captured frame.
for shot in 1 2 3; do
    timeout 20 xwd -root -silent -out "$work/shot$shot.xwd"
    sleep 0.3
done
say "screenshots taken"

timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
timeout 10 xdotool key Escape
set +e
wait "$program_pid"
exit_code=$?
set -e
program_pid=""
say "program ended with exit code $exit_code"
[ "$kind" = windows ] && timeout 30 wineserver -w
cat "$work/program.log"

matched=0
for shot in 1 2 3; do
    printf 'screenshot %d: ' "$shot"
    timeout 120 "$match" "$work/shot$shot.xwd" "$work/frames" || matched=1
done
say "screenshots compared"

left=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true)
[ -z "$left" ] || { say "the window is still on the screen"; exit 1; }
[ "$exit_code" -eq 0 ] || { say "FAILED: exit code $exit_code"; exit 1; }
[ "$matched" -eq 0 ] || { say "FAILED: a screenshot equals no captured frame"; exit 1; }
say "passed"
