#!/usr/bin/env bash
# Saves the console's window as it opens on a 1024x768 and on a 1280x1024
# screen, and as maximised on a 1920x1080 one (a virtual X server each, with the
# virtual board on COM1), into docs/screenshot-<width>x<height>.png, the
# README's pictures of the window fitting small screens and of the monitor
# taking the room of a large one.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xvfb xauth
cmake -S . -B build -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target tarvikdebug boardsim

source scripts/lib/virtual-board.sh
start_virtual_board

# Each shot: a screen and, where the window is maximised there, its size (a virtual X server has no
# window manager to maximise it: the console is told the size a maximised window gets).
for shot in 1024x768 1280x1024 1920x1080:1904x1040; do
    screen=${shot%%:*}
    size=${shot#"$screen"}
    size=${size#:}
    picture="$PWD/docs/screenshot-$screen.png"
    # A settings folder of its own: the pictures do not depend on this user's choices.
    settings=$(mktemp -d)
    XDG_CONFIG_HOME="$settings" TARVIK_SNAPSHOT="$picture" TARVIK_SNAPSHOT_SIZE="$size" \
        xvfb-run -a -s "-screen 0 ${screen}x24" build/tarvikdebug --port 1="$link"
    rm -rf "$settings"
    echo "saved $picture"
done
