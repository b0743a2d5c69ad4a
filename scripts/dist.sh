#!/usr/bin/env bash
# Makes the packages into build/dist/ with CPack, from the release and windows
# builds (run by `make dist` after both):
#   velmor_VERSION_amd64.deb                the Linux programs and assets (/usr)
#   velmor-VERSION-linux-x86_64.tar.gz      the same tree, to unpack anywhere
#   velmor-VERSION-windows-x86_64.zip       velmor.exe, the assets, LICENSE, README
# The version is project()'s in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

dist=build/dist
rm -rf "$dist"
mkdir -p "$dist"
for tree in release windows; do
    cpack --config "build/$tree/CPackConfig.cmake" -B "$dist" >/dev/null
done
rm -rf "$dist/_CPack_Packages"
ls -l "$dist"
