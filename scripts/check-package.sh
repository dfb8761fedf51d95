#!/usr/bin/env bash
# Checks the two Debian packages scripts/package.sh left in build-package/:
# their names and versions, their relations, lintian (no error, no warning),
# their contents, the desktop entry and manual pages, and that the programs
# start from any folder, the console finding its panel file in the unpacked
# tree. Names each failed check.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file desktop-file-utils groff-base lintian
build="build-package"
# Long enough for a headless start and its snapshot; a program that waits for
# input or a display instead is stopped and fails its check.
run_limit_seconds=60
icon_sizes=(16 24 32 48 64 128 256)
# dpkg-shlibdeps cannot see the platform plugins, so that one is named by hand.
required_depends=(qt6-qpa-plugins libqt6widgets6 libc6)

failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

version=$(sed -nE 's/^project\(Tarvikdebug VERSION ([^ )]+).*/\1/p' CMakeLists.txt)
revision=$(sed -nE 's/^set\(TARVIK_PACKAGE_REVISION ([^ )]+)\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] && [ -n "$revision" ] ||
    { echo "FAILED: no project version or package revision in CMakeLists.txt"; exit 1; }
arch=$(dpkg --print-architecture)
deb="$build/tarvikdebug_${version}-${revision}_$arch.deb"
ctl_deb="$build/tarvikctl_${version}-${revision}_$arch.deb"
for package in "$deb" "$ctl_deb"; do
    if [ ! -f "$package" ]; then
        echo "FAILED: no $package (run scripts/package.sh); found: $(ls "$build"/*.deb 2>/dev/null || echo none)"
        exit 1
    fi
done

field() { dpkg-deb -f "$1" "$2"; }
for package in tarvikdebug tarvikctl; do
    file="$build/${package}_${version}-${revision}_$arch.deb"
    [ "$(field "$file" Package)" = "$package" ] || fail "Package is '$(field "$file" Package)'"
    [ "$(field "$file" Version)" = "$version-$revision" ] ||
        fail "$package's Version is '$(field "$file" Version)', CMakeLists.txt says $version-$revision"
done
depends=$(field "$deb" Depends)
for package in "${required_depends[@]}" "tarvikctl (= $version-$revision)"; do
    grep -qF "$package" <<<"$depends" || fail "tarvikdebug's Depends lacks $package: $depends"
done
# tarvikctl took /usr/bin/tarvikctl over from the 1.0.14 tarvikdebug.
for relation in Breaks Replaces; do
    [ "$(field "$ctl_deb" "$relation")" = "tarvikdebug (<< $version-$revision)" ] ||
        fail "tarvikctl's $relation is '$(field "$ctl_deb" "$relation")'"
done

# Errors and warnings fail; informational tags do not.
if ! report=$(lintian --fail-on error,warning "$deb" "$ctl_deb" 2>&1); then
    fail "lintian: $(grep -v '^running with root' <<<"$report")"
fi

expected=(usr/bin/tarvikdebug usr/bin/tarvik-boardsim usr/share/tarvikdebug/Tarviktest.uir
          usr/share/applications/tarvikdebug.desktop
          usr/share/icons/hicolor/scalable/apps/tarvikdebug.svg
          usr/share/man/man1/tarvikdebug.1.gz usr/share/man/man1/tarvik-boardsim.1.gz
          usr/share/doc/tarvikdebug/copyright usr/share/doc/tarvikdebug/changelog.Debian.gz)
for size in "${icon_sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tarvikdebug.png")
done
ctl_expected=(usr/bin/tarvikctl usr/share/man/man1/tarvikctl.1.gz
              usr/share/bash-completion/completions/tarvikctl
              usr/share/doc/tarvikctl/copyright usr/share/doc/tarvikctl/changelog.Debian.gz)
contains() {
    local package=$1
    shift
    local contents
    contents=$(dpkg-deb -c "$package" | awk '{print $6}')
    for path in "$@"; do
        grep -qxF "./$path" <<<"$contents" || fail "$(basename "$package") lacks /$path"
    done
}
contains "$deb" "${expected[@]}"
contains "$ctl_deb" "${ctl_expected[@]}"
dpkg-deb -c "$deb" | grep -q '/usr/bin/tarvikctl$' && fail "tarvikdebug still holds /usr/bin/tarvikctl"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
dpkg-deb -x "$ctl_deb" "$tree"

desktop="$tree/usr/share/applications/tarvikdebug.desktop"
if [ -f "$desktop" ]; then
    # Warnings and hints count too: a clean entry prints nothing.
    if ! complaints=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$complaints" ]; then
        fail "desktop-file-validate: $complaints"
    fi
fi

for page in tarvikdebug tarvikctl tarvik-boardsim; do
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
echo "packages: $deb and $ctl_deb checked (contents, relations, lintian, desktop entry, manual pages, installed programs)"
