#!/usr/bin/env bash
# Installs the Debian 12 packages a command needs, when any is missing: those to build and run
# the console, the virtual board and tarvikctl (scripts/run.sh); with --tests also those of the
# tests, the CI checks, the fuzz targets and the benchmarks (scripts/test.sh, .ci/run); and
# any named after them.
# Usage: scripts/install-deps.sh [--list] [--tests] [extra packages...]
# (--list prints the packages and installs nothing.)
# As root it runs apt-get, else through sudo; with neither, it prints the apt-get line to run
# as root and exits 1. It waits for another apt (an unattended upgrade, a software centre)
# that holds apt's locks, and shows apt's download progress.
set -euo pipefail

# Build and run: the compiler, CMake, Qt's development files (the form loader's CMake package
# needs Qt's OpenGL ones) and Qt's platform plugins, which run the window, on a display or
# offscreen.
run_packages=(build-essential cmake pkg-config qt6-base-dev qt6-tools-dev libqt6opengl6-dev
              libgl-dev qt6-qpa-plugins)
# Tests and CI: GoogleTest and GoogleMock, Google Benchmark and pyserial (the link benchmark's
# reference), clang with its sanitizer and libFuzzer run-time (the fuzz targets) and
# clang-format (the format check), ser2net (the tests of ports on the network).
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev python3 python3-serial clang
               libclang-rt-dev clang-format ser2net)
# How long to wait for another apt's lock before giving up; how often to look again (whole
# seconds).
lock_wait_seconds=${TARVIK_APT_LOCK_WAIT:-600}
lock_poll_seconds=${TARVIK_APT_LOCK_POLL:-5}
# How long each of those waits really sleeps: the poll, unless a test makes it short.
lock_sleep=${TARVIK_APT_LOCK_SLEEP:-$lock_poll_seconds}

list=0
if [ "${1:-}" = --list ]; then
    list=1
    shift
fi
packages=("${run_packages[@]}")
if [ "${1:-}" = --tests ]; then
    packages+=("${test_packages[@]}")
    shift
fi
packages+=("$@")
if [ "$list" -eq 1 ]; then
    echo "${packages[*]}"
    exit 0
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Recommended packages are left out: they would bring GTK, systemd and Vulkan drivers, which
# neither the build nor the window needs.
install_options=(install -y --no-install-recommends)
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Installing them needs root, and this user has no sudo. As root (for example after" >&2
    echo "'su -'), run these two lines, then this command again:" >&2
    echo "  apt-get update" >&2
    echo "  apt-get ${install_options[*]} ${missing[*]}" >&2
    exit 1
fi

# A progress line on a terminal (and dpkg's progress bar); elsewhere, as in a CI log, a line
# for each package fetched. Never -qq, which shows nothing while apt downloads.
progress=(-q)
if [ -t 1 ]; then progress=(-o Dpkg::Progress-Fancy=1); fi

# apt-get install waits for dpkg's lock by itself (DPkg::Lock::Timeout), but neither
# apt-get update nor the download waits for its own lock: those are tried again while another
# apt holds them.
apt_get() {
    local waited=0 errors status
    errors=$(mktemp)
    while true; do
        status=0
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${progress[@]}" \
            -o DPkg::Lock::Timeout="$lock_wait_seconds" "$@" 2>"$errors" || status=$?
        if [ "$status" -ne 0 ] && grep -q "Could not get lock" "$errors" &&
            [ "$waited" -lt "$lock_wait_seconds" ]; then
            if [ "$waited" -eq 0 ]; then
                echo "Another apt holds its lock: waiting for it (at most $lock_wait_seconds s)..."
            fi
            sleep "$lock_sleep"
            waited=$((waited + lock_poll_seconds))
            continue
        fi
        cat "$errors" >&2
        rm -f "$errors"
        return "$status"
    done
}

echo "Missing Debian packages (${#missing[@]}), installed now with what they need: ${missing[*]}"
apt_get update
apt_get "${install_options[@]}" "${missing[@]}"
