#!/usr/bin/env bash
# Installs what building and proving the programs needs on a fresh Debian machine.
# Idempotent: does nothing when every package is already there.
set -euo pipefail
# 32-bit programs run under Wine's 32-bit half, from the i386 architecture of the same source.
packages=(cmake ninja-build clang libclang-rt-14-dev googletest python3 python3-pefile
          mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine wine32:i386 xvfb xauth
          imagemagick nsis wixl msitools)
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
