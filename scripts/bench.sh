#!/usr/bin/env bash
# Benchmark of the connector under Wine on the simulated VPN client; prints figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
/usr/bin/python3 tools/bench.py build/bench/wineprefix build/windows
