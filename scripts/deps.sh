#!/usr/bin/env bash
# Installs the Debian packages that a make target needs, only those missing;
# the group browser also installs the browser tests' node packages (npm ci).
# Usage: scripts/deps.sh GROUP...
#   (groups: build test fuzz sdl windows e2e font web browser cross dist thumb-bench gl-bench)
set -euo pipefail

packages_for() {
    case "$1" in
    # help2man: the manual pages, made from the programs' --help at build time.
    build) echo "cmake make g++ pkg-config libpng-dev zlib1g-dev help2man" ;;
    # bubblewrap: the thumbnailer's test runs it in a sandbox as GNOME does.
    test) echo "libgtest-dev libgmock-dev libbenchmark-dev python3 bubblewrap" ;;
    fuzz) echo "clang-14 libfuzzer-14-dev" ;;
    sdl) echo "libsdl2-dev" ;;
    windows) echo "g++-mingw-w64-x86-64 zip" ;;
    # xtrace and the core X fonts: the SDL message box's text, drawn and read.
    e2e) echo "xvfb xdotool x11-apps x11-utils xtrace xfonts-base python3 wine wine64 procps" ;;
    font) echo "libfreetype-dev fonts-dejavu-core" ;;
    web) echo "emscripten python3"; node_packages_for node ;;
    browser) echo "chromium python3"; node_packages_for node npm ;;
    # The drawing core built for aarch64 and run under user-mode emulation.
    cross) echo "g++-aarch64-linux-gnu qemu-user" ;;
    # The package's checks: lintian, manual pages, the desktop entry, the types GLib gives files.
    dist) echo "lintian man-db desktop-file-utils shared-mime-info libglib2.0-bin" ;;
    # scripts/thumb-bench.sh: f3d, a viewer that needs a display, beside velmor-render.
    thumb-bench) echo "f3d xvfb xauth time" ;;
    # bench/gl: velmor-gl-bench, the scenes drawn by Mesa's llvmpipe through EGL without a display.
    gl-bench) echo "libegl-dev libgl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri" ;;
    *) echo "deps.sh: unknown group '$1'" >&2; exit 2 ;;
    esac
}

# node and npm may come from elsewhere than Debian: only missing ones are
# installed, from Debian's nodejs and npm.
node_packages_for() {
    for command in "$@"; do
        command -v "$command" >/dev/null && continue
        [ "$command" = node ] && echo nodejs || echo "$command"
    done
}

# The browser tests' node packages, pinned by web/package-lock.json; installed
# again only when the lockfile has changed since the last install.
install_node_packages() {
    local web stamp
    web=$(cd "$(dirname "$0")/../web" && pwd)
    stamp=$web/node_modules/.velmor-package-lock.json
    cmp -s "$web/package-lock.json" "$stamp" && return 0
    echo "deps.sh: npm ci in web/" >&2
    (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
    cp "$web/package-lock.json" "$stamp"
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
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "deps.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
        sudo="sudo"
    fi
    echo "deps.sh: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

for group in "$@"; do
    [ "$group" = browser ] && install_node_packages
done
exit 0
