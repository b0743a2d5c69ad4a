#!/usr/bin/env bash
# make_seeds.sh: writes fuzz/startup/seeds/ from the seeds of fuzz_scene_load and
# fuzz_font: each input is a 32-bit little-endian word (the scene's length, plus
# 2^31 for view mode, plus 2^24 for each event), the view's events (EVENTS, 4
# bytes each, as printf escapes), the scene, then the font.
set -euo pipefail
cd "$(dirname "$0")"
join() { # OUT demo|view SCENE [FONT]
    local size top events=${EVENTS:-}
    size=$(stat -c %s "$3")
    top=$(($(printf "$events" | wc -c) / 4))
    [ "$2" = view ] && top=$((top | 128))
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((size & 255)) $((size >> 8 & 255)) \
        $((size >> 16 & 255)) $top)" >"seeds/$1"
    printf "$events" >>"seeds/$1"
    cat "$3" ${4:+"$4"} >>"seeds/$1"
}
mkdir -p seeds
join box_cells demo ../scene_load/seeds/box.3ds ../font/seeds/cells.bmp
join textured_digits demo ../scene_load/seeds/textured.3ds ../font/seeds/digits_top_down.bmp
join camera_one_cell demo ../scene_load/seeds/camera.3ds ../font/seeds/one_cell.bmp
join lights_no_font demo ../scene_load/seeds/lights.3ds
join empty_one_pixel demo ../scene_load/seeds/empty.3ds ../font/seeds/one_pixel.bmp
join box_view_one_cell view ../scene_load/seeds/box.3ds ../font/seeds/one_cell.bmp
join lights_view view ../scene_load/seeds/lights.3ds
# A tick, a left drag, the wheel, a new size, F11 and Space, each with a tick.
EVENTS='\x00\x00\x00\x00\x03\x00\x20\x20\x04\x01\x30\x28\x03\x01\x30\x28'\
'\x05\x07\x00\x00\x06\x00\x40\x30\x00\x00\x00\x00\x01\x11\x00\x00\x01\x01\x00\x00'\
'\x00\x00\x00\x00' join box_view_steered view ../scene_load/seeds/box.3ds ../font/seeds/one_cell.bmp
