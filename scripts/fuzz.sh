#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (with ASan and UBSan) and
# runs each for a while: the HEX record check against the virtual board's,
# the panel's number reading against strtoul, the board's request parser, and
# the console's receive on any bytes.
# Usage: scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
targets=(hex_record_fuzz panel_numbers_fuzz board_frame_fuzz response_fuzz)

scripts/install-deps.sh --tests
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTARVIK_FUZZ=ON -DBUILD_TESTING=OFF \
    -DTARVIK_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
for target in "${targets[@]}"; do
    echo "fuzzing $target for $seconds s"
    QT_QPA_PLATFORM=offscreen build-fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
        2>&1 | tail -n 3
done
