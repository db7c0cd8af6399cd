#!/usr/bin/env bash
# The main job, on the SIMULATED VPN client under Wine: the connector connects a dropped
# tunnel, leaves an established one alone, and brings it back after it drops.
# "scripts/demo.sh config" opens the configuration program on the same prefix instead: on your
# display when DISPLAY is set, otherwise under Xvfb with a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
/usr/bin/python3 tools/demo.py build/demo/wineprefix build/windows "$@"
