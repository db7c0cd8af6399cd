#!/usr/bin/env python3
"""What the end-to-end tests of FerrolinkConfig_WIN.exe share: the real program under Wine, on
an X server of the test's own, driven from outside by config_driver.exe as its user would drive
it.

Each test prepares the prefix (the simulated VPN client and its profiles, the settings key, the
work item "Ferrolink", a "Lang.dll" beside the program), runs the program once through the
driver and checks what the driver saw. The same run saves the screenshots in docs/screenshots.

Environment: WINEPREFIX, FERROLINK_BUILD (the Windows build tree), FERROLINK_SOURCE, and
FERROLINK_CONFIG_PROGRAM (the program's file; by default config/ in the build tree).
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import unittest

SOURCE = os.environ.get("FERROLINK_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("FERROLINK_BUILD", os.path.join(SOURCE, "build", "windows"))
sys.path.insert(0, os.path.join(SOURCE, "tools"))
import winelab  # noqa: E402

SETTINGS_KEY = r"HKLM\Software\Halvane\Ferrolink"
WORK = r"C:\ferrolink-e2e"
PROGRAM = WORK + r"\FerrolinkConfig_WIN.exe"
DRIVER = WORK + r"\config_driver.exe"
HELP_PROBE = WORK + r"\help_probe.exe"
HELP_MARKER = WORK + r"\help_probe.txt"
SCREENSHOTS = os.path.join(SOURCE, "docs", "screenshots")

# Listed in an order the file search does not sort: the dialog's list must.
PROFILES = ["Zeta", "Office", "a.b", "Office2"]
SORTED_PROFILES = ["a.b", "Office", "Office2", "Zeta"]
INTERVAL_ITEMS = ["1 minute"] + [f"{n} minutes" for n in (2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60)] \
    + ["disable checks"]
GERMAN_INTERVAL_ITEMS = ["1 Minute"] + [f"{n} Minuten" for n in (2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60)] \
    + ["keine Pr\u00fcfung"]
CLIENT_NOT_FOUND = ("Cisco VPN Client not found.\n\nInstall the correct version of Cisco VPN Client "
                    "and execute the configuration application again.")
GERMAN_CLIENT_NOT_FOUND = ("Cisco VPN Client nicht gefunden.\n\nInstallieren Sie die richtige Version des "
                           "Cisco VPN Client und starten Sie das Konfigurationsprogramm erneut.")
STORED = {"Profile": "Office", "Interval": 6, "ProfileUsername": "jo", "ProfilePassword": "s3cret"}

# Control ids of the main dialog.
PROFILE_LIST, USER_EDIT, PASSWORD_EDIT, INTERVAL_LIST = 1013, 1008, 1009, 1022
DELETE_BUTTON, TASK_TEXT, CHECK_TEXT = 1016, 1018, 1019
IDOK, IDCANCEL, ABOUT_COMMAND = 1, 2, 16
UNNAMED = (-1, 65535)  # controls that no code touches: -1, or 0xFFFF in a classic template


class Observed:
    """What one driver run printed: key=value lines, decoded from the system code page."""

    def __init__(self, stdout):
        self.lines = []
        raw = []
        for line in stdout.splitlines():
            key, sep, value = line.partition("=")
            if sep:
                raw.append((key, self._unescape(value)))
        acp = next((v for k, v in raw if k == "acp"), b"1252").decode()
        self.lines = [(k, v.decode(f"cp{acp}")) for k, v in raw]
        self.stdout = stdout

    @staticmethod
    def _unescape(value):
        out = bytearray()
        i = 0
        while i < len(value):
            c = value[i]
            if c == "\\" and i + 1 < len(value):
                nxt = value[i + 1]
                if nxt == "x":
                    out.append(int(value[i + 2:i + 4], 16))
                    i += 4
                    continue
                out += {"\\": b"\\", "r": b"\r", "n": b"\n"}[nxt]
                i += 2
                continue
            out += c.encode("latin-1")
            i += 1
        return bytes(out)

    def all(self, key):
        return [v for k, v in self.lines if k == key]

    def __getitem__(self, key):
        values = self.all(key)
        if not values:
            raise KeyError(f"{key} not observed; the driver printed:\n{self.stdout}")
        return values[-1]

    def control(self, window, control_id, what):
        return self[f"{window}.{control_id}.{what}"]

    def items(self, window, control_id):
        count = int(self.control(window, control_id, "count"))
        return [self.control(window, control_id, f"item.{i}") for i in range(count)]

    def selected(self, window, control_id):
        index = int(self.control(window, control_id, "cursel"))
        return None if index < 0 else self.control(window, control_id, f"item.{index}")

    def texts(self, window):
        """The texts of every control of a window, in template order."""
        return [v for k, v in self.lines if re.fullmatch(rf"{window}\.-?\d+\.text", k)]

    def unnamed_texts(self, window):
        return [t for cid in UNNAMED for t in self.all(f"{window}.{cid}.text")]

    def dumps(self, window):
        """Each dump of a window as its list of (key, value) lines, for comparing two moments."""
        result = []
        current = None
        for k, v in self.lines:
            if k == "dump":
                current = [] if v == window else None
                if current is not None:
                    result.append(current)
            elif current is not None and k.startswith(window + "."):
                current.append((k, v))
        return result

    def system_menu(self):
        count = int(self["sysmenu.count"])
        return [(int(self[f"sysmenu.{i}.id"]), self[f"sysmenu.{i}.separator"] == "1",
                 self[f"sysmenu.{i}.text"]) for i in range(count)]


class ConfigProgramCase(unittest.TestCase):
    """The prefix, the display and the program's folder, set up once per test class."""

    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["WINEPREFIX"], BUILD)
        cls.lab.init()
        cls.display, cls.xvfb = winelab.start_xvfb()
        cls.addClassCleanup(cls.stop_xvfb)
        # Every Wine program of the test sees this display, also those without a window: a
        # program started without one can leave Wine's default desktop unable to show windows
        # for the next few seconds.
        cls.addClassCleanup(cls.restore_display, os.environ.get("DISPLAY"))
        os.environ["DISPLAY"] = cls.display
        cls.work = cls.lab.unix_path(WORK)
        shutil.rmtree(cls.work, ignore_errors=True)
        os.makedirs(cls.work)
        program = os.environ.get("FERROLINK_CONFIG_PROGRAM",
                                 os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe"))
        shutil.copy(program, cls.work)
        shutil.copy(os.path.join(BUILD, "tools", "config_driver.exe"), cls.work)
        for built in ("menu_probe.dll", "help_probe.exe"):
            shutil.copy(os.path.join(BUILD, "tests", "e2e", built), cls.work)
        # For the program, Wine draws the title bars itself, so that the screenshots show them
        # without a window manager, and does not wait for one when a window closes.
        for name in ("Decorated", "Managed"):
            cls.lab.reg_add(r"HKCU\Software\Wine\AppDefaults\FerrolinkConfig_WIN.exe\X11 Driver",
                            name, "REG_SZ", "N")
        cls.lab.install_sim({name: {} for name in PROFILES})

    @classmethod
    def stop_xvfb(cls):
        cls.xvfb.terminate()
        cls.xvfb.wait()

    @staticmethod
    def restore_display(previous):
        if previous is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = previous

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)
        for job in cls.job_files():
            os.remove(job)
        winelab.reg_import(cls.lab, {SETTINGS_KEY: None})

    def tearDown(self):
        self.remove_run_files()

    def remove_run_files(self):
        """The resource library beside the program and the help document's marker."""
        for name in ("Lang.dll", "help_probe.txt"):
            path = os.path.join(self.work, name)
            if os.path.exists(path):
                os.remove(path)

    # -- preparing the prefix ------------------------------------------------------------
    def prepare(self, settings=None, task=False, profiles=PROFILES, client="installed", lang=None):
        """Puts the prefix in the state of one run: the VPN client ("installed", "no key" or
        "no InstallPath") and its profile files, the settings key (None: no key), the work
        item, and the resource library beside the program (None: none)."""
        client_values = {"InstallPath": winelab.SIM_FOLDER + "\\", "TunnelEstablished": 0}
        if client == "no InstallPath":
            del client_values["InstallPath"]
        winelab.reg_import(self.lab, {winelab.VPN_CLIENT_KEY: None if client == "no key" else client_values,
                                      SETTINGS_KEY: settings})
        folder = os.path.join(self.lab.sim_dir, "profiles")
        for old in os.listdir(folder):
            os.remove(os.path.join(folder, old))
        for name in profiles:
            with open(os.path.join(folder, name + ".pcf"), "w", newline="\r\n") as f:
                f.write("[main]\n")
        for job in self.job_files():
            os.remove(job)
        if task:
            out = Observed(self.lab.wine([self.lab.unix_path(DRIVER), "task", "create"]).stdout)
            self.assertEqual(out["task.created"], "1")
        self.remove_run_files()
        if lang is not None:
            shutil.copy(os.path.join(BUILD, "tests", "lang", lang), os.path.join(self.work, "Lang.dll"))

    @classmethod
    def job_files(cls):
        return glob.glob(os.path.join(cls.lab.prefix, "drive_c", "windows", "[Tt]asks", "[Ff]errolink.job"))

    # -- running the program -------------------------------------------------------------
    def drive(self, *steps):
        """Runs the program through the driver; every step must have been done."""
        result = self.lab.wine([self.lab.unix_path(DRIVER), "run", PROGRAM, *steps],
                               display=self.display, timeout=120)
        out = Observed(result.stdout)
        self.assertEqual(out.all("fail"), [], result.stdout)
        self.assertEqual(result.exit_code, 0, result.stdout + result.stderr[-2000:])
        self.assertEqual(out.all("terminated"), [], "the program did not end by itself")
        return out

    def shot(self, window, name):
        """A driver step that captures a window, converted to docs/screenshots/<name>.png after
        the run by save_shots."""
        return f"shot:{window}:{WORK}\\{name}.bmp"

    def save_shots(self, out):
        """Called after a test's checks, so that only a passing run replaces the pictures."""
        os.makedirs(SCREENSHOTS, exist_ok=True)
        for key in ("shot.main", "shot.popup"):
            for windows_path in out.all(key):
                bmp = self.lab.unix_path(windows_path)
                name = os.path.splitext(os.path.basename(bmp))[0]
                subprocess.run(["convert", bmp, "-strip", os.path.join(SCREENSHOTS, name + ".png")],
                               check=True, stdin=subprocess.DEVNULL)
