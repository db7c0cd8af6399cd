#!/usr/bin/env python3
"""Runs the in-process dialog tests (ui_tests.exe) under Wine on an X server of their own.

Usage: ui_test.py path/to/ui_tests.exe [gtest arguments]. WINEPREFIX names the prefix; the
tests set up the registry values and files they need themselves.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.environ.get("FERROLINK_SOURCE",
                                               os.path.join(os.path.dirname(__file__), "..", "..")),
                                "tools"))
import winelab  # noqa: E402


def main():
    program = os.path.abspath(sys.argv[1])
    prefix = winelab.WinePrefix(os.environ["WINEPREFIX"], os.environ.get("FERROLINK_BUILD", "."))
    # Every Wine program of the run sees the display (the first one that needs Wine's desktop
    # ties the desktop to its display).
    display, server = winelab.start_xvfb()
    try:
        os.environ["DISPLAY"] = display
        result = run(prefix, program, display)
    finally:
        server.terminate()
        server.wait()
    sys.stdout.write(result.stdout)
    if result.exit_code != 0:
        sys.stdout.write(result.stderr[-4000:])
    print(f"ui_tests.exe ended with {result.exit_code} after {result.seconds:.1f} s")
    return 0 if result.exit_code == 0 else 1


def run(prefix, program, display):
    # Without a window manager Wine waits up to two seconds for each closed window of a managed
    # kind; windows that Wine does not hand to a window manager close at once. This setting
    # is for this test program alone.
    prefix.reg_add(r"HKCU\Software\Wine\AppDefaults\%s\X11 Driver" % os.path.basename(program),
                   "Managed", "REG_SZ", "N")
    return prefix.wine([program, *sys.argv[2:]], display=display, timeout=240)


if __name__ == "__main__":
    sys.exit(main())
