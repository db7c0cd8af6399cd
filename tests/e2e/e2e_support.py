#!/usr/bin/env python3
"""The fixture of the end-to-end tests: the real programs under Wine, on an X server of their own,
driven from outside by config_driver.exe as their user would drive them. Each test puts the
prefix in one state, runs the program through the driver and checks what it printed; passing
runs renew docs/screenshots. Environment: WINEPREFIX, FERROLINK_BUILD (the Windows build tree),
FERROLINK_SOURCE, FERROLINK_CONFIG_PROGRAM (by default config/ in the build tree)."""
import os, pathlib, shutil, subprocess, sys, time, unittest
from unittest import mock

SOURCE = os.environ.get("FERROLINK_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("FERROLINK_BUILD", os.path.join(SOURCE, "build", "windows"))
sys.path.insert(0, os.path.join(SOURCE, "tools"))
import winelab  # noqa: E402

SETTINGS_KEY = r"HKLM\Software\Halvane\Ferrolink"
WORK = r"C:\ferrolink-e2e"
PROGRAM, DRIVER = WORK + r"\FerrolinkConfig_WIN.exe", os.path.join(BUILD, "tools", "config_driver.exe")
HELP_PROBE, HELP_MARKER = WORK + r"\help_probe.exe", WORK + r"\help_probe.txt"
# Where a "Lang.dll" may stand: beside the program, in the folder it is started from, in a
# folder on PATH. The test library's entry point writes LANG_CODE_MARK whenever it runs.
LANG_FOLDERS = {"beside": WORK, "working folder": r"C:\ferrolink-e2e-cwd", "PATH": r"C:\ferrolink-e2e-path"}
LANG_CODE_MARK = r"C:\ferrolink-lang-code-ran.txt"
SCREENSHOTS = os.path.join(SOURCE, "docs", "screenshots")
# Listed in an order the file search does not sort: the dialog's list must.
PROFILES = ["Zeta", "Office", "a.b", "Office2"]
STORED = {"Profile": "Office", "Interval": 6, "ProfileUsername": "jo", "ProfilePassword": "s3cret"}
PROFILE_LIST, USER_EDIT, PASSWORD_EDIT, INTERVAL_LIST = 1013, 1008, 1009, 1022
DELETE_BUTTON, TASK_TEXT, CHECK_TEXT, TEST_BUTTON = 1016, 1018, 1019, 1017
IDOK, IDCANCEL, ABOUT_COMMAND = 1, 2, 16
# Each dialog's controls in the order Tab walks them: id ("-": none), class, and the styles that
# it relies on: Tab stops, the kind of button (the default one), hidden passwords, sorted lists.
TAB_ORDER = {
    "main": "1013 ComboBox tab sort, 1008 Edit tab, 1009 Edit tab password, 1017 Button tab, 1022 ComboBox tab, "
            "1 Button tab default, 2 Button tab, 1000 Button groupbox, - Static, - Static, - Static, 1016 Button tab, "
            "- Button groupbox, 1018 Static, - Static, - Static, 1019 Static",
    "credentials": "1015 Edit tab password, 1 Button tab default, 2 Button tab, 1016 Edit tab, - Static, - Static, "
                   "- Static",
    "test": "1 Button tab default, - Static, 1023 Static, 1024 Static, 1025 Static, 1026 Static",
    "about": "- Static, - Static, 1 Button tab default"}
STYLE_BITS = {"tab": 0x10000, "default": 0x1, "groupbox": 0x7, "password": 0x20, "sort": 0x100}
STYLE_MASKS = {"Button": 0x1000F, "Edit": 0x10020, "ComboBox": 0x10100, "Static": 0x10000}


def start_display(case):
    """An X server of its own for a test class; every Wine program of the class sees it, also
    those without a window: one started without it can leave Wine's desktop unable to show
    windows for a while."""
    display, xvfb = winelab.start_xvfb()
    case.addClassCleanup(lambda: (xvfb.terminate(), xvfb.wait()))
    environment = mock.patch.dict(os.environ, DISPLAY=display)
    environment.start()
    case.addClassCleanup(environment.stop)


def drive(case, lab, *args, debug="-all"):
    """Runs config_driver.exe with these arguments; every step must have been done."""
    result = lab.wine([DRIVER, *args], timeout=120, debug=debug)
    out = winelab.DriverOutput(result.stdout)
    # "terminated": the driver ended a program that did not end by itself.
    case.assertEqual((out.all("fail"), out.all("terminated"), result.exit_code), ([], [], 0),
                     result.stdout + result.stderr[-2000:])
    out.stderr = result.stderr
    return out


def wait_until(condition, seconds):
    """Polls until condition() gives something true or the time is up, and gives its last
    value: for what no event shows."""
    deadline = time.monotonic() + seconds
    while not (value := condition()) and time.monotonic() < deadline:
        time.sleep(0.1)
    return value


def save_shots(lab, out):
    """Converts the run's captures to docs/screenshots/<name>.png; called after a test's checks,
    so that only a passing run replaces the pictures."""
    for windows_path in out.all("shot.main") + out.all("shot.popup"):
        bmp = lab.unix_path(windows_path)
        png = os.path.join(SCREENSHOTS, os.path.splitext(os.path.basename(bmp))[0] + ".png")
        # Whole or not at all: the other bitness's run may write the same picture meanwhile.
        subprocess.run(["convert", bmp, "-strip", f"png:{png}.{os.getpid()}"], check=True, stdin=subprocess.DEVNULL)
        os.replace(f"{png}.{os.getpid()}", png)


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
        cls.lab.trace_calls()
        cls.lab.install_sim({name: {} for name in PROFILES})

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)
        list(map(os.remove, cls.lab.job_files()))
        winelab.reg_import(cls.lab, {SETTINGS_KEY: None})

    def prepare(self, settings=None, task=False, profiles=PROFILES, client="installed", lang=None):
        """One run's state: the VPN client ("installed", "no key" or "no InstallPath") and its
        profile files, the settings key (None: no key), the work item, and the German "Lang.dll"
        in one of LANG_FOLDERS, or none."""
        client_values = {"TunnelEstablished": 0, **({} if client == "no InstallPath" else
                                                     {"InstallPath": winelab.SIM_FOLDER + "\\"})}
        winelab.reg_import(self.lab, {winelab.VPN_CLIENT_KEY: None if client == "no key" else client_values,
                                      SETTINGS_KEY: settings})
        self.lab.write_profiles({name: {} for name in profiles})
        list(map(os.remove, self.lab.job_files()))
        if task:
            self.assertEqual(drive(self, self.lab, "task", "create")["task.created"], "1")
        pathlib.Path(self.work, "help_probe.txt").unlink(missing_ok=True)
        for folder in LANG_FOLDERS.values():
            pathlib.Path(self.lab.unix_path(folder), "Lang.dll").unlink(missing_ok=True)
        if lang is not None:
            os.makedirs(self.lab.unix_path(LANG_FOLDERS[lang]), exist_ok=True)
            shutil.copy(os.path.join(BUILD, "tests", "ui", "ui_partial_lang.dll"),
                        os.path.join(self.lab.unix_path(LANG_FOLDERS[lang]), "Lang.dll"))

    def assert_tab_order(self, out, dialog):
        """The dialog's first dump shows its controls in TAB_ORDER's order with those styles."""
        expected = [(0xFFFF if i == "-" else int(i), kind, sum(STYLE_BITS[w] for w in words))
                    for i, kind, *words in (c.split() for c in TAB_ORDER[dialog].split(","))]
        lines = out.dumps("main" if dialog == "main" else "popup")[0]
        classes = [(int(k.split(".")[1]) & 0xFFFF, v) for k, v in lines if k.endswith(".class")]  # -1: DIALOGEX
        styles = [int(v, 16) for k, v in lines if k.endswith(".style")]
        self.assertEqual([(i, k, style & STYLE_MASKS[k]) for (i, k), style in zip(classes, styles)], expected, dialog)

    def drive(self, *steps, debug="-all"):
        """Runs the program through the driver with these steps."""
        return drive(self, self.lab, "run", PROGRAM, *steps, debug=debug)

    @staticmethod
    def shot(window, name):
        """A step that captures a window; save_shots converts it to docs/screenshots/<name>.png."""
        return f"shot:{window}:{WORK}\\{name}.bmp"
