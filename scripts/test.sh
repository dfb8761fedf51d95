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
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
