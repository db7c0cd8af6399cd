#!/usr/bin/env python3
"""The fixture of the end-to-end tests of FerrolinkConfig_WIN.exe: the real program under Wine,
on an X server of its own, driven from outside by config_driver.exe as its user would drive it.
Each test puts the prefix in one state (the simulated VPN client and its profiles, the settings
key, the work item, a "Lang.dll" beside the program), runs the program once through the driver
and checks what the driver printed. Passing runs renew the screenshots in docs/screenshots.

Environment: WINEPREFIX, FERROLINK_BUILD (the Windows build tree), FERROLINK_SOURCE,
FERROLINK_CONFIG_PROGRAM (by default config/ in the build tree)."""
import codecs
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
PROGRAM, DRIVER = WORK + r"\FerrolinkConfig_WIN.exe", os.path.join(BUILD, "tools", "config_driver.exe")
HELP_PROBE, HELP_MARKER = WORK + r"\help_probe.exe", WORK + r"\help_probe.txt"
SCREENSHOTS = os.path.join(SOURCE, "docs", "screenshots")
# Listed in an order the file search does not sort: the dialog's list must.
PROFILES = ["Zeta", "Office", "a.b", "Office2"]
STORED = {"Profile": "Office", "Interval": 6, "ProfileUsername": "jo", "ProfilePassword": "s3cret"}
PROFILE_LIST, USER_EDIT, PASSWORD_EDIT, INTERVAL_LIST = 1013, 1008, 1009, 1022
DELETE_BUTTON, TASK_TEXT, CHECK_TEXT, TEST_BUTTON = 1016, 1018, 1019, 1017
IDOK, IDCANCEL, ABOUT_COMMAND = 1, 2, 16
TABSTOP, DEFAULT, PASSWORD, SORT, LABEL = 0x10000, 0x1, 0x20, 0x100, 0xFFFF
# Each dialog's controls in the order Tab walks them: id, class, and the style bits set (+) and
# clear (-) that the dialog relies on (Tab stops, the default button, hidden passwords, sorting).
TAB_ORDER = {
    "main": [(1013, "ComboBox", SORT | TABSTOP, 0), (1008, "Edit", TABSTOP, PASSWORD),
             (1009, "Edit", PASSWORD | TABSTOP, 0), (1017, "Button", TABSTOP, DEFAULT),
             (1022, "ComboBox", TABSTOP, SORT), (1, "Button", DEFAULT | TABSTOP, 0), (2, "Button", TABSTOP, DEFAULT),
             (1000, "Button", 0, TABSTOP)] + [(LABEL, "Static", 0, TABSTOP)] * 3
    + [(1016, "Button", TABSTOP, 0), (LABEL, "Button", 0, TABSTOP), (1018, "Static", 0, TABSTOP)]
    + [(LABEL, "Static", 0, TABSTOP)] * 2 + [(1019, "Static", 0, TABSTOP)],
    "credentials": [(1015, "Edit", PASSWORD | TABSTOP, 0), (1, "Button", DEFAULT | TABSTOP, 0),
                    (2, "Button", TABSTOP, DEFAULT), (1016, "Edit", TABSTOP, PASSWORD)]
    + [(LABEL, "Static", 0, TABSTOP)] * 3,
    "test": [(1, "Button", DEFAULT, 0), (LABEL, "Static", 0, TABSTOP), (1023, "Static", 0, TABSTOP)]
    + [(i, "Static", 0, TABSTOP) for i in (1024, 1025, 1026)],
    "about": [(LABEL, "Static", 0, TABSTOP), (LABEL, "Static", 0, TABSTOP), (1, "Button", DEFAULT | TABSTOP, 0)],
}


class Observed:
    """What one driver run printed: key=value lines, values decoded from the system code page."""

    def __init__(self, stdout):
        raw = [(k, codecs.escape_decode(v.encode("latin-1"))[0])
               for k, sep, v in (line.partition("=") for line in stdout.splitlines()) if sep]
        acp = next((v for k, v in raw if k == "acp"), b"1252").decode()
        self.lines = [(k, v.decode(f"cp{acp}")) for k, v in raw]
        self.stdout = stdout

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

    def tab_order(self, window):
        """(id, class, style) of each control of the window's first dump, in tab order."""
        found, inside = [], False
        for k, v in self.lines:
            if k == "dump":
                if found:
                    break
                inside = v == window
            elif inside and k.endswith(".class"):
                found.append([int(k.split(".")[1]) & 0xFFFF, v])  # -1 in an extended template
            elif inside and k.endswith(".style"):
                found[-1].append(int(v, 16))
        return found

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


def start_display(case):
    """An X server of its own for a test class; every Wine program of the class sees it, also
    those without a window: one started without it can leave Wine's desktop unable to show
    windows for a while."""
    display, xvfb = winelab.start_xvfb()
    case.addClassCleanup(lambda: (xvfb.terminate(), xvfb.wait()))
    previous = os.environ.get("DISPLAY")
    case.addClassCleanup(lambda: os.environ.__setitem__("DISPLAY", previous) if previous
                         else os.environ.pop("DISPLAY", None))
    os.environ["DISPLAY"] = display


def drive(case, lab, *args):
    """Runs config_driver.exe with these arguments; every step must have been done."""
    result = lab.wine([DRIVER, *args], timeout=120)
    out = Observed(result.stdout)
    case.assertEqual(out.all("fail"), [], result.stdout)
    case.assertEqual(result.exit_code, 0, result.stdout + result.stderr[-2000:])
    case.assertEqual(out.all("terminated"), [], "the program did not end by itself")
    return out


def save_shots(lab, out):
    """Converts the run's captures to docs/screenshots/<name>.png; called after a test's checks,
    so that only a passing run replaces the pictures."""
    for windows_path in out.all("shot.main") + out.all("shot.popup"):
        bmp = lab.unix_path(windows_path)
        png = os.path.join(SCREENSHOTS, os.path.splitext(os.path.basename(bmp))[0] + ".png")
        subprocess.run(["convert", bmp, "-strip", png], check=True, stdin=subprocess.DEVNULL)


class ConfigProgramCase(unittest.TestCase):
    """The prefix, the display and the program's folder, set up once per test class."""

    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["WINEPREFIX"], BUILD)
        cls.lab.init()
        start_display(cls)
        cls.work = cls.lab.unix_path(WORK)
        shutil.rmtree(cls.work, ignore_errors=True)
        os.makedirs(cls.work)
        shutil.copy(os.environ.get("FERROLINK_CONFIG_PROGRAM",
                                   os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe")), cls.work)
        shutil.copy(os.path.join(BUILD, "tests", "e2e", "help_probe.exe"), cls.work)
        cls.lab.draw_title_bars("FerrolinkConfig_WIN.exe")
        cls.lab.install_sim({name: {} for name in PROFILES})

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)
        for job in cls.lab.job_files():
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
        for job in self.lab.job_files():
            os.remove(job)
        if task:
            self.assertEqual(drive(self, self.lab, "task", "create")["task.created"], "1")
        for name in ("Lang.dll", "help_probe.txt"):
            if os.path.exists(os.path.join(self.work, name)):
                os.remove(os.path.join(self.work, name))
        if lang is not None:
            shutil.copy(os.path.join(BUILD, "tests", "lang", lang), os.path.join(self.work, "Lang.dll"))

    def assert_tab_order(self, out, dialog):
        """The dialog's first dump shows its controls in TAB_ORDER's order with their styles."""
        expected, found = TAB_ORDER[dialog], out.tab_order("main" if dialog == "main" else "popup")
        self.assertEqual([(i, k) for i, k, _ in found], [(i, k) for i, k, _, _ in expected], dialog)
        for (ident, _, style), (_, _, required, cleared) in zip(found, expected):
            self.assertEqual((style & required, style & cleared), (required, 0), (dialog, ident))

    def drive(self, *steps):
        """Runs the program through the driver with these steps."""
        return drive(self, self.lab, "run", PROGRAM, *steps)

    @staticmethod
    def shot(window, name):
        """A step that captures a window; save_shots converts it to docs/screenshots/<name>.png."""
        return f"shot:{window}:{WORK}\\{name}.bmp"
