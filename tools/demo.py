#!/usr/bin/env python3
"""The main job on the simulated VPN client: the connector, started as the scheduled task
starts it, keeps the tunnel up. Shows each run's exit code, its event-log messages and the
log file."""
import os
import sys

from winelab import WinePrefix

LOG = r"C:\ProgramData\Ferrolink\Ferrolink.log"


def main(prefix_dir, build_dir):
    prefix = WinePrefix(prefix_dir, build_dir)
    prefix.init()
    prefix.start_server()
    try:
        run_demo(prefix)
    finally:
        prefix.stop_server()


def run_demo(prefix):
    print("Setting up a private Wine prefix with the SIMULATED VPN client (not the real one):")
    prefix.install_sim(profiles={"Office": {"Username": "jo", "Password": "secret"}})
    exe = prefix.install_connector()
    log_path = prefix.unix_path(LOG)
    os.makedirs(os.path.dirname(log_path), exist_ok=True)
    if os.path.exists(log_path):
        os.remove(log_path)
    command_line = f'"{exe}" "Office" -u "jo" -p "secret" -l {LOG}'
    print(f"  profile Office, connector at {exe}")
    print(f"  the scheduled task's command line: {command_line}\n")

    def tick(title):
        before = _read(log_path)
        result = prefix.launch(command_line)
        print(f"== {title}")
        print(f"   exit code {result.exit_code}; event log: "
              + (", ".join(f'"{e}"' for e in result.events) if result.events else "(nothing)"))
        added = _read(log_path)[len(before):]
        print("   log file: " + (added.decode("latin-1").rstrip("\r\n").replace("\r\n", "\n             ")
                                 if added else "(nothing added)"))
        print(f"   tunnel up: {'yes' if prefix.tunnel_flag() else 'no'}\n")

    print(f"Tunnel up at the start: {'yes' if prefix.tunnel_flag() else 'no'}\n")
    tick("Run 1: tunnel down, the connector connects")
    tick("Run 2: tunnel up, nothing happens")
    prefix.wine([os.path.join(prefix.sim_dir, "vpnclient.exe"), "disconnect"])
    print(f"== The tunnel drops (simulated client disconnected); tunnel up: "
          f"{'yes' if prefix.tunnel_flag() else 'no'}\n")
    tick("Run 3: the next run brings it back")
    print("What the simulated client was asked, in order (show state 0 = hidden):")
    for show, params in prefix.journal():
        print(f"   show={show} {params}")
    print(f"\nLog file {LOG}:")
    print("   " + _read(log_path).decode("latin-1").rstrip("\r\n").replace("\r\n", "\n   "))


def _read(path):
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as f:
        return f.read()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: demo.py <wine prefix> <windows build dir>")
    main(sys.argv[1], sys.argv[2])
