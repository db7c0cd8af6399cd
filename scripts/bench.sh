#!/usr/bin/env bash
# Benchmark of the connector under Wine on the simulated VPN client; prints figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
# The 32-bit connector's start is measured where 32-bit programs can run (emulated or not).
build_32=()
if how=$(scripts/setup-i386-emulation.sh); then
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 >/dev/null
  build_32=(build/windows-x86)
else
  echo "The 32-bit connector's start is not measured: $how"
fi
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
/usr/bin/python3 tools/bench.py build/bench/wineprefix build/windows "${build_32[@]}"
