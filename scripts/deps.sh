#!/usr/bin/env bash
# Installs the Debian packages that a make target needs, only those missing.
# Usage: scripts/deps.sh GROUP...   (groups: build test fuzz sdl windows e2e font cross)
set -euo pipefail

packages_for() {
    case "$1" in
    build) echo "cmake make g++ pkg-config libpng-dev zlib1g-dev" ;;
    test) echo "libgtest-dev libgmock-dev libbenchmark-dev python3" ;;
    fuzz) echo "clang-14 libfuzzer-14-dev" ;;
    sdl) echo "libsdl2-dev" ;;
    windows) echo "g++-mingw-w64-x86-64 zip" ;;
    # xtrace and the core X fonts: the SDL message box's text, drawn and read.
    e2e) echo "xvfb xdotool x11-apps x11-utils xtrace xfonts-base python3 wine wine64 procps" ;;
    font) echo "libfreetype-dev fonts-dejavu-core" ;;
    # The drawing core built for aarch64 and run under user-mode emulation.
    cross) echo "g++-aarch64-linux-gnu qemu-user" ;;
    *) echo "deps.sh: unknown group '$1'" >&2; exit 2 ;;
    esac
}

wanted=()
for group in "$@"; do
    for p in $(packages_for "$group"); do wanted+=("$p"); done
done

missing=()
for p in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "deps.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "deps.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
