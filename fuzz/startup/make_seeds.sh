#!/usr/bin/env bash
# make_seeds.sh: writes fuzz/startup/seeds/ from the seeds of fuzz_scene_load and
# fuzz_font: each input is a scene's length (32 bits, little-endian), the scene,
# then the font.
set -euo pipefail
cd "$(dirname "$0")"
join() { # OUT SCENE [FONT]
    local size
    size=$(stat -c %s "$2")
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((size & 255)) $((size >> 8 & 255)) \
        $((size >> 16 & 255)) $((size >> 24 & 255)))" >"seeds/$1"
    cat "$2" ${3:+"$3"} >>"seeds/$1"
}
mkdir -p seeds
join box_cells ../scene_load/seeds/box.3ds ../font/seeds/cells.bmp
join textured_digits ../scene_load/seeds/textured.3ds ../font/seeds/digits_top_down.bmp
join camera_one_cell ../scene_load/seeds/camera.3ds ../font/seeds/one_cell.bmp
join lights_no_font ../scene_load/seeds/lights.3ds
join empty_one_pixel ../scene_load/seeds/empty.3ds ../font/seeds/one_pixel.bmp
