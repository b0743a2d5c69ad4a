#!/usr/bin/env bash
# with-xvfb.sh COMMAND...: runs COMMAND with DISPLAY on a fresh Xvfb screen of
# 512 x 384 x 24 (the program's own size, so full-screen is 1:1) or of
# $XVFB_SCREEN (WxHxD), then stops that server by its process id. -noreset: by
# default the server resets when its last client leaves and drops the
# connections that arrive meanwhile.
set -euo pipefail

run_dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-512x384x24}" -nolisten tcp -noreset -br \
    3>"$run_dir/display" 2>"$run_dir/xvfb.log" &
xvfb_pid=$!
stop_xvfb() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$run_dir"
}
trap stop_xvfb EXIT

for _ in $(seq 100); do
    [ -s "$run_dir/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$run_dir/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
[ -s "$run_dir/display" ] || { echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$run_dir/display")"
unset WAYLAND_DISPLAY
"$@"
