#!/bin/sh
# Remakes docs/shading/: five corpus models, each drawn by velmor-render at
# 384 x 288 with 4 samples in the old look (flat, culled, on black) and in view
# mode's default look, side by side. Needs the release build and ImageMagick.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
render=$root/build/release/tools/velmor-render/velmor-render
corpus=$root/../shared/corpus
out=$root/docs/shading
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for model in castle_p47d castle_house3 gl117_gl-14 assimpnb_granate assimpnb_jeep1; do
    "$render" --size 384x288 --flat --cull --background 000000 "$corpus/$model.3ds" "$work/old.png"
    "$render" --size 384x288 "$corpus/$model.3ds" "$work/new.png"
    convert "$work/old.png" "$work/new.png" +append -strip "$out/$model.png"
done
