#!/usr/bin/env bash
# under_node.sh PROGRAM.js [ARGS...]: runs a program of the web build under
# node; exit 77 (skipped) when it has not been built (make web).
set -euo pipefail
[ -f "$1" ] || { echo "under_node: $1 not built (make web): skipped"; exit 77; }
exec node --no-experimental-fetch "$@"
