#!/usr/bin/env bash
# In a fresh Debian 12 (a minbase debootstrap of bookworm in a folder of its own), installs
# an older tarvikdebug package, upgrades it to the two packages scripts/package.sh built,
# and checks that apt took /usr/bin/tarvikctl over to the tarvikctl package. Then measures,
# in fresh copies, what each package brings in, with and without recommended packages.
# Needs root, debootstrap and the network to Debian's mirror; not run by CI (it fetches a
# whole system). Usage: scripts/check-upgrade.sh OLD.deb [MIRROR]
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(realpath "${1:?usage: scripts/check-upgrade.sh OLD.deb [MIRROR]}")
mirror=${2:-http://deb.debian.org/debian}
build="build-package"
revision=$(sed -nE 's/^set\(TARVIK_PACKAGE_REVISION ([^ )]+)\).*/\1/p' CMakeLists.txt)
version=$(sed -nE 's/^project\(Tarvikdebug VERSION ([^ )]+).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
console=$(realpath "$build/tarvikdebug_${version}-${revision}_$arch.deb")
ctl=$(realpath "$build/tarvikctl_${version}-${revision}_$arch.deb")

work=$(mktemp -d /var/tmp/tarvik-upgrade.XXXXXX)
mounted=()
cleanup() {
    for m in "${mounted[@]}"; do umount -l "$m" 2>/dev/null || true; done
    # Never remove a tree that still has something mounted in it.
    if ! grep -qF " $work/" /proc/mounts; then rm -rf "$work"; fi
}
trap cleanup EXIT

base="$work/base"
echo "debootstrap: Debian 12 minbase into $base"
debootstrap --variant=minbase bookworm "$base" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; exit 1; }

# A copy of the fresh system in $root, with /proc and the packages in reach. (Not in a
# subshell: the mounts must be known to the clean-up.)
fresh() {
    root="$work/$1"
    cp -a "$base" "$root"
    mkdir -p "$root/debs"
    cp "$old" "$console" "$ctl" "$root/debs/"
    mount -t proc proc "$root/proc"
    mounted+=("$root/proc")
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    chroot "$root" apt-get update -qq >/dev/null
}
in_root() { local root=$1; shift; chroot "$root" env DEBIAN_FRONTEND=noninteractive "$@"; }

failed=0
fail() { echo "FAILED: $*"; failed=1; }

fresh upgrade
in_root "$root" apt-get install -y -qq "/debs/$(basename "$old")" >/dev/null
[ "$(in_root "$root" dpkg-query -S /usr/bin/tarvikctl | cut -d: -f1)" = tarvikdebug ] ||
    fail "the old package does not hold /usr/bin/tarvikctl"
if ! in_root "$root" apt-get install -y -qq "/debs/$(basename "$console")" \
        "/debs/$(basename "$ctl")" >"$work/upgrade.log" 2>&1; then
    cat "$work/upgrade.log"
    fail "apt could not upgrade $(basename "$old") to the two packages"
fi
owner=$(in_root "$root" dpkg-query -S /usr/bin/tarvikctl | cut -d: -f1)
[ "$owner" = tarvikctl ] || fail "/usr/bin/tarvikctl belongs to '$owner' after the upgrade"
for package in tarvikdebug tarvikctl; do
    got=$(in_root "$root" dpkg-query -W -f='${Version}' "$package")
    [ "$got" = "$version-$revision" ] || fail "$package is at '$got' after the upgrade"
done
in_root "$root" tarvikctl --version | grep -qF "$version-$revision" ||
    fail "the upgraded tarvikctl --version does not say $version-$revision"

# What each brings into a fresh Debian 12: packages and download, with and without recommends.
measure() {
    local what=$1 recommends=$2
    shift 2
    local summary
    fresh "measure-${what%% *}$recommends"
    summary=$(in_root "$root" apt-get install --assume-no "$recommends" "$@" 2>&1 || true)
    local count download disk
    count=$(sed -nE 's/.* ([0-9]+) newly installed.*/\1/p' <<<"$summary")
    download=$(sed -nE 's/.*Need to get ([^ ]+ [kMG]?B).*/\1/p' <<<"$summary" | head -n 1)
    disk=$(sed -nE 's/.*After this operation, ([^ ]+ [kMG]?B).*/\1/p' <<<"$summary")
    [ -n "$count" ] || { echo "$summary" | tail -n 5; fail "no install summary for $what"; }
    printf '%-36s %-22s %4s packages, %9s to download, %9s on disk\n' "$what" \
        "$([ "$recommends" = --install-recommends ] && echo with recommends || echo without recommends)" \
        "$count" "$download" "$disk"
}
for recommends in --install-recommends --no-install-recommends; do
    measure "tarvikctl" "$recommends" "/debs/$(basename "$ctl")"
    measure "tarvikdebug (with tarvikctl)" "$recommends" "/debs/$(basename "$console")" \
        "/debs/$(basename "$ctl")"
done

[ "$failed" -eq 0 ] || exit 1
echo "upgrade: $(basename "$old") -> $(basename "$console") + $(basename "$ctl") checked in a fresh Debian 12"
