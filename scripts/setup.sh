#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Idempotent:
# installs only packages that are missing.
set -eu
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest clang-format
      g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
      wine wine64 xvfb x11-apps imagemagick)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
