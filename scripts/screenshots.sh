#!/usr/bin/env bash
# Saves the console's window as it opens on a 1024x768 and on a 1280x1024
# screen (a virtual X server each, with the virtual board on COM1) into
# docs/screenshot-<width>x<height>.png, the README's pictures of the window
# fitting small screens.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb xauth
cmake -S . -B build -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target tarvikdebug boardsim

source scripts/lib/virtual-board.sh
start_virtual_board

for screen in 1024x768 1280x1024; do
    shot="$PWD/docs/screenshot-$screen.png"
    # A settings folder of its own: the pictures do not depend on this user's choices.
    settings=$(mktemp -d)
    XDG_CONFIG_HOME="$settings" TARVIK_SNAPSHOT="$shot" \
        xvfb-run -a -s "-screen 0 ${screen}x24" build/tarvikdebug --port 1="$link"
    rm -rf "$settings"
    echo "saved $shot"
done
