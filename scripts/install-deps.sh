#!/usr/bin/env bash
# Installs the Debian 12 packages the console needs, when any is missing.
# Usage: scripts/install-deps.sh [extra packages...]
set -euo pipefail

packages=(build-essential cmake pkg-config qt6-base-dev qt6-tools-dev libqt6opengl6-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev python3 python3-serial
          clang clang-format "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
