#!/usr/bin/env bash
# Fails, naming file and line, when an #include reaches up the layers or across
# to a sibling, when a folder other than runtime/ includes Qt or the terminal
# headers, or when a system folder includes the engine's internals. Layers,
# lowest first: runtime, panel, link, registers and firmware, measure and
# calibration, app and (beside it) cli. The virtual board includes none of them.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A rank=([runtime]=0 [panel]=1 [link]=2 [registers]=3 [firmware]=3 [measure]=4
                 [calibration]=4 [app]=5 [cli]=5)
public_runtime='^runtime/(cvirte|userint|rs232|callbacks|settings|serial_devices|popup_handler)\.h$'
bad=0
complain() {
    echo "$1:$2: $3"
    bad=1
}

while IFS= read -r file; do
    folder=${file%%/*}
    while IFS=: read -r line text; do
        header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$text")
        target=${header%%/*}
        if [ "$folder" = boardsim ]; then
            [ -n "${rank[$target]+x}" ] && complain "$file" "$line" "the virtual board includes $header"
            continue
        fi
        if [ "$folder" != runtime ]; then
            case "$header" in
                Q*|termios.h|sys/ioctl.h|sys/file.h|poll.h|fcntl.h)
                    complain "$file" "$line" "$header is for runtime/ only" ;;
            esac
        fi
        [ -n "${rank[$target]+x}" ] || continue
        [ "$target" = "$folder" ] && continue
        if [ "$target" = runtime ] && ! [[ "$header" =~ $public_runtime ]]; then
            complain "$file" "$line" "$header is internal to runtime/"
        elif (( rank[$target] >= rank[$folder] )); then
            complain "$file" "$line" "$folder/ may not include $header (a layer above or beside it)"
        fi
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files '*.cpp' '*.h' | grep -E '^(runtime|panel|link|registers|firmware|measure|calibration|app|cli|boardsim)/')

[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
