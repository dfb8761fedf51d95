#!/usr/bin/env bash
# Fails, naming file and line, when an #include reaches up the layers or across
# to a sibling, when a folder other than runtime/ includes Qt or the terminal
# headers, when a system folder includes the engine's internals or another
# folder's test hooks (testing.h), or when a core file includes a panel
# header. Layers, lowest first: runtime, panel, link, registers and firmware,
# measure and calibration, app and (beside it) cli. The virtual board includes
# none of them. Each layer has a core (its files but the *_panel ones; in
# runtime/, the serial ports, the clock and the settings) and a panel part;
# cli/ is made of cores alone, so its files count as core files too.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A rank=([runtime]=0 [panel]=1 [link]=2 [registers]=3 [firmware]=3 [measure]=4
                 [calibration]=4 [app]=5 [cli]=5)
# Inside link/, lowest first: a file includes only the ones below it (testing.cpp aside).
declare -A link_rank=([frame]=0 [result]=0 [deadline]=0 [link_view]=0 [line_guard]=1
                      [serial_link]=2 [tick_clock]=3 [speed_test]=4 [transaction]=5
                      [connection]=6 [connection_panel]=7 [testing]=8)
# The runtime headers the system's folders may include: its core's, and its panel engine's.
core_runtime='^runtime/(rs232|clock|settings|serial_devices|input_file)\.h$'
panel_runtime='^runtime/(cvirte|userint|callbacks|popup_handler)\.h$'
# Headers of the panel parts outside runtime/: the main panel's file, handle and ids.
panel_headers='(_panel\.h|^panel/(panel|Tarviktest|panel_controls)\.h)$'
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
        # A folder's testing.h declares hooks for the tests; only the folder defines them.
        if [[ "$header" == */testing.h ]] && [ "$target" != "$folder" ]; then
            complain "$file" "$line" "$header is for the tests and its own folder only"
            continue
        fi
        if [ "$folder" = link ] && [ "$target" = link ]; then
            own=$(basename "${file%.*}")
            other=$(basename "${header%.h}")
            if [ -z "${link_rank[$own]+x}" ] || [ -z "${link_rank[$other]+x}" ]; then
                complain "$file" "$line" "link/ file without a place in check-layers.sh"
            elif [ "$own" != "$other" ] && [ "$own" != testing ] && [ "$other" != testing ] &&
                (( link_rank[$other] >= link_rank[$own] )); then
                complain "$file" "$line" "link/$own may not include $header (not below it)"
            fi
        fi
        own=$(basename "${file%.*}")
        if [ "$folder" != runtime ] && { [ "$folder" = cli ] || [[ "$own" != *_panel ]]; } &&
            [ "$folder" != app ] && ! [[ "$file" =~ $panel_headers ]] &&
            { [[ "$header" =~ $panel_runtime ]] || [[ "$header" =~ $panel_headers ]]; }; then
            complain "$file" "$line" "a core file may not include $header (a panel header)"
            continue
        fi
        [ "$target" = "$folder" ] && continue
        if [ "$target" = runtime ] && ! [[ "$header" =~ $core_runtime|$panel_runtime ]]; then
            complain "$file" "$line" "$header is internal to runtime/"
        elif (( rank[$target] >= rank[$folder] )); then
            complain "$file" "$line" "$folder/ may not include $header (a layer above or beside it)"
        fi
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files '*.cpp' '*.h' | grep -E '^(runtime|panel|link|registers|firmware|measure|calibration|app|cli|boardsim)/')

[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
