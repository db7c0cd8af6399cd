#!/usr/bin/env bash
# Builds every preset and runs every test: the host unit tests and fuzzer, then the Windows
# unit, integration and end-to-end tests under Wine, for the 64-bit build on a 64-bit prefix
# and for the 32-bit build on a 32-bit prefix, each prefix in its build tree with one
# persistent wineserver. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup-machine.sh

cmake --preset host
cmake --build --preset host
ctest --preset host

# Both bitnesses are built first: the 64-bit run also starts the 32-bit connector, the 64-bit
# build makes the setup program from both, and the 32-bit run installs it on a 32-bit prefix.
cmake --preset windows-x86
cmake --build --preset windows-x86
cmake --preset windows
cmake --build --preset windows

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
servers=()
trap 'for p in "${servers[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done' EXIT

# run_windows_tests <preset> <build dir> <wine architecture>
run_windows_tests() {
  export WINEPREFIX="$root/$2/wineprefix" WINEARCH=$3
  /usr/bin/python3 tools/winelab.py --prefix "$WINEPREFIX" --build "$2" init
  wineserver -p
  servers+=("$WINEPREFIX")
  ctest --preset "$1"
  wineserver -k >/dev/null 2>&1 || true
}
run_windows_tests windows build/windows win64
run_windows_tests windows-x86 build/windows-x86 win32
