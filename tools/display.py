#!/usr/bin/env python3
"""Windows on a screen of their own: an X server (Xvfb) for the Wine programs of a run, title
bars that Wine draws itself, screenshots saved as PNG, and a windowed program run on such a
server.

Used by the end-to-end and UI tests and the demo. Also a command line:
  display.py --prefix DIR --build DIR run-windowed PROGRAM [ARG...]
                                                   run a windowed program on an X server of its own
"""
import argparse
import contextlib
import os
import subprocess
import sys

from winelab import WinePrefix


@contextlib.contextmanager
def xvfb_display(width=1024, height=768):
    """An X server of its own on a free display number (Xvfb picks it) that listens on no TCP
    port, named in DISPLAY while the context lasts, so that every Wine program started meanwhile
    sees it: the first one that needs Wine's desktop ties the desktop to its display. Gives the
    display, such as ":5"."""
    read_end, write_end = os.pipe()
    try:
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        write_end = None
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                server.kill()
                server.wait()
                raise RuntimeError("Xvfb ended without naming its display")
            number += chunk
    finally:
        if write_end is not None:
            os.close(write_end)
        os.close(read_end)
    display, before = f":{number.decode().strip()}", os.environ.get("DISPLAY")
    os.environ["DISPLAY"] = display
    try:
        yield display
    finally:
        server.terminate()
        server.wait()
        if before is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = before


def draw_title_bars(prefix, program):
    """Wine draws the program's title bars itself, so that screenshots show them without a
    window manager, and does not wait for one when a window closes."""
    prefix.reg_import({rf"HKCU\Software\Wine\AppDefaults\{program}\X11 Driver":
                       {"Decorated": "N", "Managed": "N"}})


def save_png(bmp, png):
    """Converts a screenshot that the driver saved (BMP) to a PNG without metadata, whole or
    not at all: another run may write the same picture meanwhile."""
    partial = f"{png}.{os.getpid()}"
    subprocess.run(["convert", bmp, "-strip", f"png:{partial}"], check=True,
                   stdin=subprocess.DEVNULL)
    os.replace(partial, png)


def run_windowed(prefix, command):
    """Runs a windowed program on an X server of its own, with the windows Wine draws itself,
    and prints its output; returns its exit code."""
    with xvfb_display():
        # A desktop that an earlier program started without a display would not show these
        # windows: a new session ties the desktop to this display.
        prefix.stop_server()
        prefix.start_server()
        draw_title_bars(prefix, os.path.basename(command[0]))
        result = prefix.wine([os.path.abspath(command[0]), *command[1:]], timeout=240)
    # And the programs after it get a session whose desktop is not tied to that X server.
    prefix.stop_server()
    prefix.start_server()
    sys.stdout.write(result.stdout + (result.stderr[-4000:] if result.exit_code else ""))
    print(f"{os.path.basename(command[0])} ended with {result.exit_code} "
          f"after {result.seconds:.1f} s")
    return 0 if result.exit_code == 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("action", choices=["run-windowed"])
    parser.add_argument("program", nargs="+", help="the program and its arguments")
    args = parser.parse_args()
    sys.exit(run_windowed(WinePrefix(args.prefix, args.build), args.program))


if __name__ == "__main__":
    main()
