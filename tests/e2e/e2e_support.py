#!/usr/bin/env python3
"""The fixture of the end-to-end tests of FerrolinkConfig_WIN.exe: the real program under Wine,
on an X server of its own, driven from outside by config_driver.exe as its user would drive it.
Each test puts the prefix in one state (the simulated VPN client and its profiles, the settings
key, the work item, a "Lang.dll" beside the program), runs the program once through the driver
and checks what the driver printed. Passing runs renew the screenshots in docs/screenshots.

Environment: WINEPREFIX, FERROLINK_BUILD (the Windows build tree), FERROLINK_SOURCE,
FERROLINK_CONFIG_PROGRAM (by default config/ in the build tree)."""
import glob
import os
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
PROGRAM, DRIVER = WORK + r"\FerrolinkConfig_WIN.exe", WORK + r"\config_driver.exe"
HELP_PROBE, HELP_MARKER = WORK + r"\help_probe.exe", WORK + r"\help_probe.txt"
SCREENSHOTS = os.path.join(SOURCE, "docs", "screenshots")
# Listed in an order the file search does not sort: the dialog's list must.
PROFILES = ["Zeta", "Office", "a.b", "Office2"]
STORED = {"Profile": "Office", "Interval": 6, "ProfileUsername": "jo", "ProfilePassword": "s3cret"}
PROFILE_LIST, USER_EDIT, PASSWORD_EDIT, INTERVAL_LIST = 1013, 1008, 1009, 1022
DELETE_BUTTON, TASK_TEXT, CHECK_TEXT, TEST_BUTTON = 1016, 1018, 1019, 1017
IDOK, IDCANCEL, ABOUT_COMMAND = 1, 2, 16


class Observed:
    """What one driver run printed: key=value lines, values decoded from the system code page."""

    def __init__(self, stdout):
        raw = [(k, self._unescape(v)) for k, sep, v in (line.partition("=") for line in stdout.splitlines())
               if sep]
        acp = next((v for k, v in raw if k == "acp"), b"1252").decode()
        self.lines = [(k, v.decode(f"cp{acp}")) for k, v in raw]
        self.stdout = stdout

    @staticmethod
    def _unescape(value):
        out, i = bytearray(), 0
        while i < len(value):
            if value[i] == "\\" and value[i + 1] == "x":
                out.append(int(value[i + 2:i + 4], 16))
                i += 4
            elif value[i] == "\\":
                out += {"\\": b"\\", "r": b"\r", "n": b"\n"}[value[i + 1]]
                i += 2
            else:
                out += value[i].encode("latin-1")
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
        return [self.control(window, control_id, f"item.{i}")
                for i in range(int(self.control(window, control_id, "count")))]

    def selected(self, window, control_id):
        index = int(self.control(window, control_id, "cursel"))
        return None if index < 0 else self.control(window, control_id, f"item.{index}")

    def dumps(self, window):
        """Each dump of a window as a dict of its lines, for comparing moments."""
        result, current = [], None
        for k, v in self.lines:
            if k == "dump":
                current = {} if v == window else None
                if current is not None:
                    result.append(current)
            elif current is not None and k.startswith(window + "."):
                current[k] = v
        return result


class ConfigProgramCase(unittest.TestCase):
    """The prefix, the display and the program's folder, set up once per test class."""

    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["WINEPREFIX"], BUILD)
        cls.lab.init()
        cls.display, cls.xvfb = winelab.start_xvfb()
        cls.addClassCleanup(lambda: (cls.xvfb.terminate(), cls.xvfb.wait()))
        # Every Wine program of the test sees this display, also those without a window: one
        # started without it can leave Wine's desktop unable to show windows for a while.
        previous = os.environ.get("DISPLAY")
        cls.addClassCleanup(lambda: os.environ.__setitem__("DISPLAY", previous) if previous
                            else os.environ.pop("DISPLAY", None))
        os.environ["DISPLAY"] = cls.display
        cls.work = cls.lab.unix_path(WORK)
        shutil.rmtree(cls.work, ignore_errors=True)
        os.makedirs(cls.work)
        shutil.copy(os.environ.get("FERROLINK_CONFIG_PROGRAM",
                                   os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe")), cls.work)
        shutil.copy(os.path.join(BUILD, "tools", "config_driver.exe"), cls.work)
        shutil.copy(os.path.join(BUILD, "tests", "e2e", "help_probe.exe"), cls.work)
        # Wine draws the program's title bars itself, so that screenshots show them without a
        # window manager, and does not wait for one when a window closes.
        for name in ("Decorated", "Managed"):
            cls.lab.reg_add(r"HKCU\Software\Wine\AppDefaults\FerrolinkConfig_WIN.exe\X11 Driver",
                            name, "REG_SZ", "N")
        cls.lab.install_sim({name: {} for name in PROFILES})

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)
        for job in cls.job_files():
            os.remove(job)
        winelab.reg_import(cls.lab, {SETTINGS_KEY: None})

    def prepare(self, settings=None, task=False, profiles=PROFILES, client="installed", lang=None):
        """One run's state: the VPN client ("installed", "no key" or "no InstallPath") and its
        profile files, the settings key (None: no key), the work item, and "Lang.dll"."""
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
        for name in ("Lang.dll", "help_probe.txt"):
            if os.path.exists(os.path.join(self.work, name)):
                os.remove(os.path.join(self.work, name))
        if lang is not None:
            shutil.copy(os.path.join(BUILD, "tests", "lang", lang), os.path.join(self.work, "Lang.dll"))

    @classmethod
    def job_files(cls):
        return glob.glob(os.path.join(cls.lab.prefix, "drive_c", "windows", "[Tt]asks", "[Ff]errolink.job"))

    def drive(self, *steps):
        """Runs the program through the driver; every step must have been done."""
        result = self.lab.wine([self.lab.unix_path(DRIVER), "run", PROGRAM, *steps],
                               display=self.display, timeout=120)
        out = Observed(result.stdout)
        self.assertEqual(out.all("fail"), [], result.stdout)
        self.assertEqual(result.exit_code, 0, result.stdout + result.stderr[-2000:])
        self.assertEqual(out.all("terminated"), [], "the program did not end by itself")
        return out

    @staticmethod
    def shot(window, name):
        """A step that captures a window; save_shots converts it to docs/screenshots/<name>.png."""
        return f"shot:{window}:{WORK}\\{name}.bmp"

    def save_shots(self, out):
        """Called after a test's checks, so that only a passing run replaces the pictures."""
        for windows_path in out.all("shot.main") + out.all("shot.popup"):
            bmp = self.lab.unix_path(windows_path)
            png = os.path.join(SCREENSHOTS, os.path.splitext(os.path.basename(bmp))[0] + ".png")
            subprocess.run(["convert", bmp, "-strip", png], check=True, stdin=subprocess.DEVNULL)
