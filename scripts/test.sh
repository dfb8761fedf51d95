#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
# Usage: scripts/test.sh [build-dir [extra cmake options...]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

scripts/install-deps.sh --tests
cmake -S . -B "$build" -DTARVIK_WERROR=ON -DBUILD_TESTING=ON "$@"
cmake --build "$build" -j"$(nproc)"
# Most tests wait on the board's line rather than compute: one job more than cores keeps
# the cores busy.
ctest --test-dir "$build" --output-on-failure -j"$(($(nproc) + 1))"
