#!/usr/bin/env bash
# compare_cpus.sh FRAME_HASHES AARCH64_FRAME_HASHES LONG_DOUBLE_64_FRAME_HASHES ASSETS CORPUS
#
# The frames of this build, of an aarch64 build (run under qemu-aarch64) and
# of an x86-64 build whose long double is a double must be the same, hash for
# hash: 100 frames of the bundled scene and of a dozen corpus scenes, in each
# mode (demo, view mode flat and view mode smooth).
# Without the corpus only the bundled scene is compared. Exit 77 (skipped)
# when the other builds are missing (`make other-cpus` makes them).
set -euo pipefail

native=$1 aarch64=$2 long_double_64=$3 assets=$4 corpus=$5
for program in "$aarch64" "$long_double_64"; do
    [ -x "$program" ] || { echo "cpus: $program not built (make other-cpus): skipped"; exit 77; }
done
command -v qemu-aarch64 >/dev/null || { echo "cpus: qemu-aarch64 missing (scripts/deps.sh cross)" >&2; exit 1; }
native=$(realpath "$native") aarch64=$(realpath "$aarch64") long_double_64=$(realpath "$long_double_64")

# Many objects, large and small faces, scenes that cross the screen's edges.
corpus_scenes=(castle_p47d irr_sphere sbc_terrain3 assimpnb_cart_wheel assimpnb_jeep1 irr_room
    castle_house3 gl117_ship1 gl117_gl-14 assimp_testformatdetection assimpnb_mar_rifle gl117_rubble)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$assets/Z_Test.3ds" "$work/"
if [ -d "$corpus" ]; then
    for name in "${corpus_scenes[@]}"; do cp "$corpus/$name.3ds" "$work/"; done
else
    echo "cpus: no corpus at $corpus: comparing the bundled scene only"
fi
cd "$work"
scenes=(*.3ds)
echo "cpus: hashing 100 frames of ${#scenes[@]} scenes with each build"
timeout 120 "$native" "${scenes[@]}" >native.txt
status=0
compare() {
    if diff native.txt "$1.txt" >"$1.diff"; then
        echo "cpus: $1 draws the same frames"
    else
        echo "cpus: FAILED: $1 draws other frames than this build:"
        cat "$1.diff"
        status=1
    fi
}
timeout 180 "$long_double_64" "${scenes[@]}" >long-double-64.txt
compare long-double-64
timeout 300 qemu-aarch64 -L /usr/aarch64-linux-gnu "$aarch64" "${scenes[@]}" >aarch64.txt
compare aarch64
exit $status
