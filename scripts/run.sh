#!/usr/bin/env bash
# Builds the console and starts it against the virtual board, which it maps to COM1 and
# connects to at start (--connect 1). Without a display, the console runs in a virtual X
# server, saves a screenshot of its window (connected: the firmware version and the
# temperature in the monitor) and exits.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi
if [ $headless -eq 1 ]; then
    scripts/install-deps.sh xvfb xauth
else
    scripts/install-deps.sh
fi
cmake -S . -B build -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target tarvikdebug tarvikctl boardsim

source scripts/lib/virtual-board.sh
start_virtual_board
echo "Virtual board on $link, mapped to COM1; the console connects to it at start."

export TARVIK_COM1="$link"
cd build
if [ $headless -eq 1 ]; then
    shot=${TARVIK_SNAPSHOT:-$PWD/tarvikdebug-screenshot.png}
    TARVIK_SNAPSHOT="$shot" xvfb-run -a -s "-screen 0 1400x900x24" ./tarvikdebug --connect 1
    echo "No display: the console ran in a virtual X server; its window is in $shot"
else
    ./tarvikdebug --connect 1
fi
