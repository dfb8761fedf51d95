#!/usr/bin/env bash
# Checks the Debian package scripts/package.sh left in build-package/: its name
# and version, its dependencies, its contents, its desktop entry and manual
# pages, and that the programs it installs start from any folder, the console
# finding its panel file in the unpacked tree. Names each failed check.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file desktop-file-utils groff-base
build="build-package"
# Long enough for a headless start and its snapshot; a program that waits for
# input or a display instead is stopped and fails its check.
run_limit_seconds=60
icon_sizes=(16 24 32 48 64 128 256)
man_pages=(tarvikdebug tarvikctl tarvik-boardsim)
# dpkg-shlibdeps cannot see the platform plugins, so that one is named by hand.
required_depends=(qt6-qpa-plugins libqt6widgets6 libc6)

failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

version=$(sed -nE 's/^project\(Tarvikdebug VERSION ([^ )]+).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "FAILED: no project version in CMakeLists.txt"; exit 1; }
deb="$build/tarvikdebug_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "FAILED: no $deb (run scripts/package.sh); found: $(ls "$build"/*.deb 2>/dev/null || echo none)"
    exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tarvikdebug ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', CMakeLists.txt says $version"
depends=$(field Depends)
for package in "${required_depends[@]}"; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

expected=(usr/bin/tarvikdebug usr/bin/tarvikctl usr/bin/tarvik-boardsim usr/share/tarvikdebug/Tarviktest.uir
          usr/share/applications/tarvikdebug.desktop
          usr/share/icons/hicolor/scalable/apps/tarvikdebug.svg)
for size in "${icon_sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tarvikdebug.png")
done
for page in "${man_pages[@]}"; do expected+=("usr/share/man/man1/$page.1.gz"); done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in "${expected[@]}"; do
    grep -qxF "./$path" <<<"$contents" || fail "the package lacks /$path"
done

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

desktop="$tree/usr/share/applications/tarvikdebug.desktop"
if [ -f "$desktop" ]; then
    # Warnings and hints count too: a clean entry prints nothing.
    if ! complaints=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$complaints" ]; then
        fail "desktop-file-validate: $complaints"
    fi
fi

for page in "${man_pages[@]}"; do
    file="$tree/usr/share/man/man1/$page.1.gz"
    [ -f "$file" ] || continue
    # -ww turns on every warning; -z renders without output, so only they show.
    if ! warnings=$(zcat "$file" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1) ||
        [ -n "$warnings" ]; then
        fail "$page(1) renders with warnings: $warnings"
    fi
done

# From /, so that nothing of the source tree or the build folder is found.
run() { (cd / && timeout "$run_limit_seconds" "$@" 2>&1); }
console="$tree/usr/bin/tarvikdebug"
board="$tree/usr/bin/tarvik-boardsim"
if output=$(run "$console" --version); then
    grep -qF "$version" <<<"$output" || fail "tarvikdebug --version printed '$output', not $version"
else
    fail "tarvikdebug --version exited $?: $output"
fi
output=$(run "$board" --help) || fail "tarvik-boardsim --help exited $?: $(head -n 3 <<<"$output")"

# The command line companion needs no display: it reads the installed board's
# firmware version with DISPLAY and the platform unset.
ctl="$tree/usr/bin/tarvikctl"
link="$tree/board"
(cd / && exec "$board" --link "$link") >/dev/null 2>&1 &
board_pid=$!
trap 'kill "$board_pid" 2>/dev/null || true; rm -rf "$tree"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
if output=$(run env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ctl" --device "$link" read 0);
then
    [ "$output" = "0x0012" ] || fail "tarvikctl read 0 printed '$output', not 0x0012"
else
    fail "the installed tarvikctl could not read the board: $output"
fi
kill "$board_pid" 2>/dev/null || true

shot="$tree/shot.png"
if ! output=$(run env QT_QPA_PLATFORM=offscreen TARVIK_SNAPSHOT="$shot" "$console"); then
    fail "the installed console did not start headless: $output"
elif [ "$(file -b --mime-type "$shot")" != image/png ]; then
    fail "the installed console saved no PNG snapshot: $output"
fi

[ "$failed" -eq 0 ] || exit 1
echo "package: $deb checked (contents, Depends, desktop entry, manual pages, installed programs)"
