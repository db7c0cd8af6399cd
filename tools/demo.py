#!/usr/bin/env python3
"""The main job on the simulated VPN client: the connector, started as the scheduled task
starts it, keeps the tunnel up. Shows each run's exit code, its event-log messages and the
log file. With "config": opens the configuration program on the same prefix, on the user's
display when DISPLAY is set, otherwise under Xvfb, saving a screenshot."""
import os
import shutil
import subprocess
import sys

from winelab import CONNECTOR_FOLDER, WinePrefix, start_xvfb

SETTINGS_KEY = r"HKLM\Software\Halvane\Ferrolink"

LOG = r"C:\ProgramData\Ferrolink\Ferrolink.log"


def main(prefix_dir, build_dir, mode):
    prefix = WinePrefix(prefix_dir, build_dir)
    xvfb = None
    if mode == "config" and not os.environ.get("DISPLAY"):
        # Every Wine program of the run must see the display that the dialog is shown on.
        display, xvfb = start_xvfb()
        os.environ["DISPLAY"] = display
    prefix.init()
    prefix.start_server()
    try:
        if mode == "config":
            show_config_program(prefix, screenshot=xvfb is not None)
        else:
            run_demo(prefix)
    finally:
        prefix.stop_server()
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()


def show_config_program(prefix, screenshot):
    print("The configuration program on the demo's prefix, with the SIMULATED VPN client:")
    prefix.install_sim(profiles={"Office": {"Username": "jo", "Password": "secret"}, "Home": {}})
    for name, kind, value in (("Profile", "REG_SZ", "Office"), ("Interval", "REG_DWORD", 5),
                              ("ProfileUsername", "REG_SZ", "jo"), ("ProfilePassword", "REG_SZ", "secret")):
        prefix.reg_add(SETTINGS_KEY, name, kind, value)
    target = prefix.unix_path(CONNECTOR_FOLDER)
    os.makedirs(target, exist_ok=True)
    shutil.copy(os.path.join(prefix.build, "config", "FerrolinkConfig_WIN.exe"), target)
    program = CONNECTOR_FOLDER + "\\FerrolinkConfig_WIN.exe"
    if not screenshot:
        print(f"  opening {program} on display {os.environ['DISPLAY']}; close it to end the demo")
        prefix.wine([prefix.unix_path(program)], display=os.environ["DISPLAY"], timeout=None)
        return
    # No display: show it under Xvfb, capture it, and cancel it, through the test driver.
    for name in ("Decorated", "Managed"):
        prefix.reg_add(r"HKCU\Software\Wine\AppDefaults\FerrolinkConfig_WIN.exe\X11 Driver", name, "REG_SZ", "N")
    driver = os.path.join(prefix.build, "tools", "config_driver.exe")
    bmp = r"C:\ferrolink-demo\config.bmp"
    os.makedirs(os.path.dirname(prefix.unix_path(bmp)), exist_ok=True)
    result = prefix.wine([driver, "run", program, "main", "dump:main", f"shot:main:{bmp}",
                          "press:main:2", "exit"], display=os.environ["DISPLAY"])
    for line in dict.fromkeys(result.stdout.splitlines()):
        if line.startswith(("main.title=", "main.1013.text=", "main.1008.text=", "main.1022.text=",
                            "main.1019.text=", "exit=")):
            print("  " + line)
    png = os.path.abspath(os.path.join(os.path.dirname(prefix.prefix), "config-main-dialog.png"))
    subprocess.run(["convert", prefix.unix_path(bmp), "-strip", png], check=True)
    print(f"  no display: shown under Xvfb; screenshot saved as {png}")


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
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "config"):
        sys.exit("usage: demo.py <wine prefix> <windows build dir> [config]")
    main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else "connector")
