#!/usr/bin/env bash
# mime_check.sh DESKTOP_FILE CORPUS_DIR
#
# Asks GLib, as file managers do (gio info), for the type of every .3ds file of
# the corpus: each that begins with the 3D Studio magic 0x4D4D must have a
# type that the desktop entry lists, so that "Open with Velmor" is offered for
# it. The files that begin otherwise are listed with what gio says of them.
# Exit 77 (skipped) without the corpus.
set -euo pipefail
desktop=$1 corpus=$2
fail() { echo "mime_check: FAILED: $*"; exit 1; }

if [ ! -d "$corpus" ]; then
    echo "mime_check: skipped: no corpus at $corpus"
    exit 77
fi
command -v gio >/dev/null || fail "no gio (scripts/deps.sh dist installs libglib2.0-bin)"
listed=" $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ') "

checked=0 wrong=()
for file in "$corpus"/*.3ds; do
    magic=$(od -An -tx1 -N2 "$file" | tr -d ' \n')
    type=$(gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
    if [ "$magic" != 4d4d ]; then
        echo "mime_check: $(basename "$file") begins with '${magic:-nothing}': gio says $type"
    elif [[ "$listed" == *" $type "* ]]; then
        checked=$((checked + 1))
    else
        wrong+=("$(basename "$file"): $type")
    fi
done
[ ${#wrong[@]} -eq 0 ] || fail "types the entry does not list:$(printf '\n  %s' "${wrong[@]}")"
[ "$checked" -gt 0 ] || fail "no corpus file begins with 0x4D4D"
echo "mime_check: passed: $checked files of a type the entry lists"
