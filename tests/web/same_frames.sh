#!/usr/bin/env bash
# same_frames.sh NATIVE_FRAME_HASHES WEB_FRAME_HASHES_JS ASSETS [SCENES_DIR]
#
# The drawing core of the native build and the one built for the web (run under
# node) hash 100 frames of the bundled scene and of every scene in SCENES_DIR
# (when it exists); the hashes must be equal. Exit 77 (skipped) when the web
# build is missing.
set -euo pipefail
native=$1 web=$2 assets=$3 scenes=${4:-}
[ -f "$web" ] || { echo "same_frames: $web not built (make web): skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$assets/Z_Test.3ds" "$work/"
if [ -d "$scenes" ]; then
    cp "$scenes"/*.3ds "$work/"
else
    echo "same_frames: no scenes in '$scenes': the bundled scene only"
fi
cd "$work"
timeout 120 "$native" *.3ds >native.txt
timeout 240 node --no-experimental-fetch "$web" *.3ds >web.txt
echo "same_frames: $(wc -l <native.txt) scenes, 100 frames each"
diff native.txt web.txt || { echo "same_frames: the web build draws other frames"; exit 1; }
