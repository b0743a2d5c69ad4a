#!/usr/bin/env bash
# Packs the two programs with the bundled assets into build/dist/:
#   velmor-windows-x86_64.zip     velmor.exe, Z_Test.3ds, Font.bmp, README.txt
#   velmor-linux-x86_64.tar.gz    velmor, Z_Test.3ds, Font.bmp, README.txt
# Run by `make dist` after the release and windows builds.
set -euo pipefail
cd "$(dirname "$0")/.."

dist=build/dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
rm -rf "$dist"
mkdir -p "$dist"
version=$(sed -n 's/^project(velmor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

pack() { # pack NAME PROGRAM README-TEXT
    local folder="$stage/$1"
    mkdir -p "$folder"
    cp "$2" assets/Z_Test.3ds assets/Font.bmp "$folder/"
    printf '%s\n' "$3" >"$folder/README.txt"
}

pack velmor-windows-x86_64 build/windows/velmor.exe "Velmor Engine $version for Windows (64-bit)

A small real-time software 3D renderer: it shows the scene Z_Test.3ds turning,
full-screen at 512 x 384 x 32, with a frame counter in the bitmap font Font.bmp.

Run velmor.exe with Z_Test.3ds and Font.bmp in the same folder (its working
directory). Escape ends it. It needs DirectDraw, which every Windows has; under
Wine it runs when the X screen can take 512 x 384."
(cd "$stage/velmor-windows-x86_64" && zip -q -X -r "$OLDPWD/$dist/velmor-windows-x86_64.zip" .)

pack velmor-linux-x86_64 build/release/src/platform/sdl/velmor "Velmor Engine $version for Linux (x86-64, SDL2)

A small real-time software 3D renderer: it shows the scene Z_Test.3ds turning,
full-screen (512 x 384, scaled with the aspect kept), with a frame counter in the
bitmap font Font.bmp.

Run ./velmor in this folder (it reads Z_Test.3ds and Font.bmp from its working
directory) on an X11 or Wayland desktop; it needs SDL2 (Debian: libsdl2-2.0-0).
Escape or the window's close button ends it."
tar -C "$stage" --owner=0 --group=0 --sort=name -czf "$dist/velmor-linux-x86_64.tar.gz" \
    velmor-linux-x86_64

ls -l "$dist"
