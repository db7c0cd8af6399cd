#!/usr/bin/env bash
# Builds every preset and runs every test: the host unit tests and fuzzer, then the Windows
# unit, integration and end-to-end tests under Wine, for the 64-bit build on a 64-bit prefix
# (where the shipped 32-bit setup installs the 64-bit programs) and for the 32-bit build on a
# 32-bit prefix, each prefix in its build tree with one persistent wineserver. Where the kernel
# runs no 32-bit code, 32-bit programs run under CPU emulation (scripts/setup-i386-emulation.sh).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup-machine.sh
# Before any prefix is made: a 64-bit prefix gets its 32-bit half only where 32-bit programs run.
how_32=$(scripts/setup-i386-emulation.sh) && runs_32=1 || runs_32=0

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
prefixes=("$root/build/windows/wineprefix" "$root/build/windows-x86/wineprefix")
trap 'for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done' EXIT

# run_windows_tests <preset> <build dir> <wine architecture>: the preset's tests on the build
# tree's prefix, with its own wineserver and X servers, into <build dir>/windows-tests.log.
run_windows_tests() {
  export WINEPREFIX="$root/$2/wineprefix" WINEARCH=$3
  {
    /usr/bin/python3 tools/winelab.py --prefix "$WINEPREFIX" --build "$2" init
    # A server left running by an earlier use of this prefix would refuse the new one.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p || { echo "the wineserver of $WINEPREFIX could not be started"; exit 1; }
    ctest --preset "$1" && rc=0 || rc=$?
    wineserver -k >/dev/null 2>&1 || true
    exit $rc
  } >"$2/windows-tests.log" 2>&1
}
# The two prefixes share nothing but the screenshots, which both write with the same bytes:
# their tests run side by side. Where Wine's 32-bit half cannot run, the 32-bit build is proven
# only as far as it is built, and the run says so.
logs=(build/windows/windows-tests.log)
run_windows_tests windows build/windows win64 & runs=($!)
if [ "$runs_32" = 1 ]; then
  run_windows_tests windows-x86 build/windows-x86 win32 & runs+=($!)
  logs+=(build/windows-x86/windows-tests.log)
else
  skipped="NOT RUN: this machine cannot run 32-bit programs: $how_32
So the 32-bit prefix's tests, the 32-bit connector's rows of registry_views, the shipped setup's
test and the deployment sample's test were skipped; the 32-bit build was only built."
fi
status=0
for run in "${runs[@]}"; do wait "$run" || status=1; done
cat "${logs[@]}"
if [ -z "${skipped:-}" ]; then echo "32-bit programs ran $how_32."; else echo "$skipped"; fi
exit $status
