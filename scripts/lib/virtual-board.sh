# Sourced by the scripts that show the console with a virtual board.
# start_virtual_board starts build/boardsim (already built) on a fresh symlink
# path, sets $link to that path, and stops the board when the script exits.

start_virtual_board() {
    link=$(mktemp -u /tmp/tarvik-board.XXXXXX)
    build/boardsim --link "$link" &
    board=$!
    trap 'kill "$board" 2>/dev/null || true; wait "$board" 2>/dev/null || true' EXIT
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
    [ -e "$link" ] || { echo "the virtual board did not start" >&2; exit 1; }
}
