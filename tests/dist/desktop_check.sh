#!/usr/bin/env bash
# desktop_check.sh DESKTOP_FILE
#
# desktop-file-validate finds nothing to say about the desktop entry, and the
# entry opens files with velmor and lists at least one MIME type.
set -euo pipefail
desktop=$1
fail() { echo "desktop_check: FAILED: $*"; exit 1; }

command -v desktop-file-validate >/dev/null ||
    fail "no desktop-file-validate (scripts/deps.sh dist installs it)"
said=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $said"
[ -z "$said" ] || fail "desktop-file-validate: $said"
grep -qx "Exec=velmor %f" "$desktop" || fail "the entry does not run velmor on a file"
grep -q "^MimeType=..*" "$desktop" || fail "the entry lists no MIME type"
echo "desktop_check: passed"
