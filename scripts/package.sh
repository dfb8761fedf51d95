#!/usr/bin/env bash
# Builds the Debian packages in build-package/ (a Release build without tests
# or benchmarks): tarvikdebug, the console and the virtual board, and
# tarvikctl, the command line companion. Prints their paths;
# scripts/check-package.sh checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
build="build-package"

# dpkg-dev gives CPack dpkg-shlibdeps, which needs file to find the programs.
scripts/install-deps.sh dpkg-dev file
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
cmake --build "$build" -j"$(nproc)" --target tarvikdebug tarvikctl boardsim tarvik_man_pages

# A package of an earlier version left here would be taken for this one.
rm -f "$build"/*.deb
log="$build/cpack.log"
if ! (cd "$build" && cpack -G DEB) >"$log" 2>&1; then
    cat "$log" >&2
    echo "cpack failed" >&2
    exit 1
fi
for deb in "$build"/*.deb; do echo "package: $deb"; done
