#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for the given number of seconds,
# seeded from its own seeds/ folder and the shared corpus when present.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shared=${SHARED:-$(cd .. && pwd)/shared}
found=0
for target in build/fuzz/fuzz/*/fuzz_*; do
    [ -x "$target" ] || continue
    found=1
    name=$(basename "$target")
    work=build/fuzz/corpus/$name
    mkdir -p "$work"
    seeds=()
    [ -d "fuzz/${name#fuzz_}/seeds" ] && seeds+=("fuzz/${name#fuzz_}/seeds")
    # The shared corpus holds scenes, which only the scene loader reads whole.
    [ "$name" = fuzz_scene_load ] && [ -d "$shared/corpus" ] && seeds+=("$shared/corpus")
    echo "fuzz: $name for ${seconds}s"
    # -close_fd_mask=2: the program's own stderr lines are dropped, the
    # fuzzer's and the sanitizers' reports are not.
    "$target" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=2 \
        -artifact_prefix=build/fuzz/ "$work" "${seeds[@]}" 2>&1 | tail -n 12
done
[ $found -eq 1 ] || echo "fuzz: no targets built"
