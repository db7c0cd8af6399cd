#!/usr/bin/env python3
"""Benchmark (not a test): one tunnel-up tick of the connector against its floor, the simulated
client's own "stat" run plus the 300 ms pause after the client has ended; and the connector's
file size. Times are measured inside Wine, from process start to end."""
import os
import platform
import statistics
import subprocess
import sys
import time

from winelab import VPN_CLIENT_KEY, WinePrefix

RUNS = 15


def measure(prefix, command_line):
    times = []
    for _ in range(RUNS):
        result = prefix.launch(command_line)
        times.append(result.elapsed_ms)
    return times


def describe(times):
    return (f"median {statistics.median(times):7.1f} ms   min {min(times):7.1f} ms   "
            f"max {max(times):7.1f} ms")


def main(prefix_dir, build_dir):
    prefix = WinePrefix(prefix_dir, build_dir)
    prefix.init()
    prefix.start_server()
    try:
        prefix.install_sim()
        exe = prefix.install_connector()
        prefix.reg_add(VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 1)
        client = os.path.join(r"C:\Program Files\Cisco Systems\VPN Client", "vpnclient.exe")
        measure(prefix, f'"{client}" stat')  # warm the prefix's caches
        stat = measure(prefix, f'"{client}" stat')
        tick = measure(prefix, f'"{exe}" "Office" -u "jo" -p "secret"')
        floor = [t + 300.0 for t in stat]
    finally:
        prefix.stop_server()
    cpu = subprocess.run(["sh", "-c", "grep -m1 'model name' /proc/cpuinfo | cut -d: -f2"],
                         capture_output=True, text=True).stdout.strip()
    print(f"Connector benchmark, {time.strftime('%Y-%m-%d')}, {platform.node()}: {cpu}, "
          f"{os.cpu_count()} cores, Wine {subprocess.run(['wine', '--version'], capture_output=True, text=True).stdout.strip()}")
    print(f"{RUNS} runs each, measured inside Wine from process start to end:")
    print(f"  simulated client 'stat' alone     {describe(stat)}")
    print(f"  floor (stat + 300 ms pause)       {describe(floor)}")
    print(f"  connector tick, tunnel up         {describe(tick)}")
    print(f"  tick over floor (medians)         {statistics.median(tick) - statistics.median(floor):+7.1f} ms")
    size = os.path.getsize(os.path.join(build_dir, "connector", "Ferrolink.exe"))
    print(f"  Ferrolink.exe file size           {size} bytes ({size / 1024:.0f} KiB)")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: bench.py <wine prefix> <windows build dir>")
    main(sys.argv[1], sys.argv[2])
