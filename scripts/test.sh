#!/usr/bin/env bash
# Builds both presets and runs every test: the host unit tests and fuzzer, then the Windows
# unit, integration and end-to-end tests under Wine on the build tree's private prefix, with
# one persistent wineserver. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup-machine.sh

cmake --preset host
cmake --build --preset host
ctest --preset host

cmake --preset windows
cmake --build --preset windows

export WINEPREFIX="$root/build/windows/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/bin/python3 tools/winelab.py --prefix "$WINEPREFIX" --build build/windows init
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
ctest --preset windows
