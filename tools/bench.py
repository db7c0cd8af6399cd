#!/usr/bin/env python3
"""Benchmark (not a test): one tunnel-up tick of the connector against its floor, the simulated
client's own "stat" run plus the 300 ms pause after the client has ended; the connector's file
size; and the configuration program's /status against a program that only creates the Task
Scheduler object and reads one registry value (target: at most 1.3 times its time); with a
32-bit build tree, the start of the 32-bit connector (emulated where the kernel runs no 32-bit
code) against the 64-bit one's. Times are measured inside Wine, from process start to end."""
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

import simclient
from winelab import CONNECTOR_FOLDER, SETTINGS_KEY, WinePrefix

RUNS = 15


def measure(prefix, *command_lines, stdio=None):
    """Times of RUNS runs of each command line, the lines run in turn, so that a change in the
    machine's load weighs on all of them; one list per line."""
    times = [[] for _ in command_lines]
    for _ in range(RUNS):
        for line, line_times in zip(command_lines, times):
            line_times.append(prefix.launch(line, stdio=stdio, debug="-all").elapsed_ms)
    return times


def describe(times):
    return (f"median {statistics.median(times):7.1f} ms   min {min(times):7.1f} ms   "
            f"max {max(times):7.1f} ms")


def how_32bit_code_runs():
    """Natively, or under the emulator that binfmt_misc names for i386 ELF (with its version)."""
    try:
        with open("/proc/sys/fs/binfmt_misc/qemu-i386") as f:
            fields = dict(line.split(" ", 1) for line in f.read().splitlines() if " " in line)
    except OSError:
        return "natively"
    interpreter = fields.get("interpreter", "?")
    version = subprocess.run([interpreter, "--version"], capture_output=True,
                             text=True).stdout.split("\n")[0]
    return f"emulated: {interpreter} ({version})"


def main(prefix_dir, build_dir, build_dir_32=None):
    prefix = WinePrefix(prefix_dir, build_dir)
    prefix.init()
    prefix.start_server()
    try:
        simclient.install(prefix)
        exe = prefix.install_connector()
        prefix.reg_add(simclient.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 1)
        client = os.path.join(r"C:\Program Files\Cisco Systems\VPN Client", "vpnclient.exe")
        measure(prefix, f'"{client}" stat')  # warm the prefix's caches
        stat, = measure(prefix, f'"{client}" stat')
        tick, = measure(prefix, f'"{exe}" "Office" -u "jo" -p "secret"')
        floor = [t + 300.0 for t in stat]
        # /status with its output read, as a monitoring system reads it, on a machine with the
        # work item and the stored settings.
        shutil.copy(os.path.join(build_dir, "config", "FerrolinkConfig_WIN.exe"),
                    prefix.unix_path(CONNECTOR_FOLDER))
        shutil.copy(os.path.join(build_dir, "tools", "scheduler_probe.exe"),
                    prefix.unix_path(CONNECTOR_FOLDER))
        prefix.reg_import({SETTINGS_KEY: {"Profile": "Office", "Interval": 5,
                                          "ProfileUsername": "jo", "ProfilePassword": "secret"}})
        prefix.drive("task", "create")
        status_line = f'"{CONNECTOR_FOLDER}\\FerrolinkConfig_WIN.exe" /status'
        probe_line = f'"{CONNECTOR_FOLDER}\\scheduler_probe.exe"'
        measure(prefix, status_line, stdio=b"")
        probe, status = measure(prefix, probe_line, status_line, stdio=b"")
        # Without arguments the connector reports its usage and ends: its start, and little else.
        if build_dir_32:
            exe_32 = CONNECTOR_FOLDER + r"\Ferrolink32.exe"
            shutil.copy(os.path.join(build_dir_32, "connector", "Ferrolink.exe"),
                        prefix.unix_path(exe_32))
            start_64, start_32 = measure(prefix, f'"{exe}"', f'"{exe_32}"')
    finally:
        prefix.stop_server()
    cpu = subprocess.run(["sh", "-c", "grep -m1 'model name' /proc/cpuinfo | cut -d: -f2"],
                         capture_output=True, text=True).stdout.strip()
    wine = subprocess.run([prefix.loader(), "--version"], capture_output=True,
                          text=True).stdout.strip()
    print(f"Connector benchmark, {time.strftime('%Y-%m-%d')}, {platform.node()}: {cpu}, "
          f"{os.cpu_count()} cores, Wine {wine}")
    print(f"{RUNS} runs each (the last two in turn), "
          "measured inside Wine from process start to end:")
    print(f"  simulated client 'stat' alone     {describe(stat)}")
    print(f"  floor (stat + 300 ms pause)       {describe(floor)}")
    print(f"  connector tick, tunnel up         {describe(tick)}")
    print(f"  tick over floor (medians)         "
          f"{statistics.median(tick) - statistics.median(floor):+7.1f} ms")
    size = os.path.getsize(os.path.join(build_dir, "connector", "Ferrolink.exe"))
    print(f"  Ferrolink.exe file size           {size} bytes ({size / 1024:.0f} KiB)")
    print(f"  scheduler object + 1 value read   {describe(probe)}")
    print(f"  FerrolinkConfig_WIN.exe /status   {describe(status)}")
    print(f"  /status over that (medians)       "
          f"{statistics.median(status) / statistics.median(probe):7.2f} times "
          f"(target: at most 1.30)")
    if build_dir_32:
        print(f"  Ferrolink.exe start, 64-bit       {describe(start_64)}")
        print(f"  Ferrolink.exe start, 32-bit       {describe(start_32)}")
        print(f"  32-bit code runs                  {how_32bit_code_runs()}")


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: bench.py <wine prefix> <windows build dir> [<32-bit windows build dir>]")
    main(*sys.argv[1:])
