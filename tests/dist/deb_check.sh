#!/usr/bin/env bash
# deb_check.sh BUILD_DIR CAPTURE ASSETS
#
# Makes the .deb with CPack from BUILD_DIR and has lintian check it: no error
# and no warning. Unpacks it with dpkg-deb -x into a temporary root: every
# program in usr/bin has its manual page, which names it; Debian's copyright
# and changelog, the desktop entry and its icon (a transparent PNG of its
# folder's size) are there. Then runs the unpacked velmor-capture from an
# empty folder: on the unpacked demo scene its frames equal, byte for byte,
# those of the build's own velmor-capture in the assets folder (so the
# installed font was found), and so are those it draws without a scene, from
# the installed demo scene (as when started from the desktop's menu).
set -euo pipefail
build=$(realpath "$1") capture=$(realpath "$2") assets=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "deb_check: FAILED: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >/dev/null
deb=$(ls "$work/package"/velmor_*_amd64.deb)
echo "deb_check: $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -q "libsdl2" || fail "no dependency on SDL2"
dpkg-deb -f "$deb" Depends | grep -q "libpng" || fail "no dependency on libpng"
command -v lintian >/dev/null || fail "no lintian (scripts/deps.sh dist installs it)"
# lintian warns when run as root, which is how the tests run in CI.
lintian --fail-on error,warning "$deb" 2> >(grep -v "root privileges" >&2) ||
    fail "lintian found errors or warnings (above)"
dpkg-deb -x "$deb" "$work/root"
for file in usr/bin/velmor usr/bin/velmor-capture usr/bin/velmor-dump \
    usr/share/velmor/Z_Test.3ds usr/share/velmor/Font.bmp usr/share/doc/velmor/LICENSE \
    usr/share/doc/velmor/NOTICE usr/share/doc/velmor/copyright usr/share/doc/velmor/changelog.gz \
    usr/share/applications/velmor.desktop usr/share/icons/hicolor/48x48/apps/velmor.png \
    usr/share/icons/hicolor/128x128/apps/velmor.png \
    usr/share/icons/hicolor/256x256/apps/velmor.png; do
    [ -f "$work/root/$file" ] || fail "$file is not in the package"
done
for size in 48 128 256; do
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/velmor.png" |
        grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "the $size icon is not one"
done
for program in "$work"/root/usr/bin/*; do
    name=$(basename "$program")
    page=$work/root/usr/share/man/man1/$name.1.gz
    [ -f "$page" ] || fail "$name has no manual page"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -Eq "^ +$name +- " ||
        fail "the manual page of $name does not name it"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q -- "--version" ||
        fail "the manual page of $name lists no options"
done

(cd "$assets" && "$capture" --frames 3 --out "$work/expected" >/dev/null)
mkdir "$work/empty"
cd "$work/empty"
installed=$work/root/usr/bin/velmor-capture
"$installed" --frames 3 --out "$work/frames" --demo "$work/root/usr/share/velmor/Z_Test.3ds"
for n in 0 1 2; do
    cmp "$work/expected/frame_0000$n.png" "$work/frames/frame_0000$n.png" ||
        fail "frame $n differs from the build's own"
done
"$installed" --frames 3 --out "$work/installed" || fail "without Z_Test.3ds it does not run"
for n in 0 1 2; do
    cmp "$work/expected/frame_0000$n.png" "$work/installed/frame_0000$n.png" ||
        fail "without Z_Test.3ds, frame $n is not the installed demo scene's"
done
echo "deb_check: passed"
