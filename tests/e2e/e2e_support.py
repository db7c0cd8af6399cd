#!/usr/bin/env python3
"""The fixture of the end-to-end tests: the real programs under Wine, on an X server of their own,
driven from outside by config_driver.exe as their user would drive them. Each test puts the
prefix in one state, runs the program through the driver and checks what it printed; passing
runs renew docs/screenshots. Environment: WINEPREFIX, FERROLINK_BUILD (the Windows build tree),
FERROLINK_SOURCE, FERROLINK_CONFIG_PROGRAM (by default config/ in the build tree)."""
import os, pathlib, shutil, sys, time, unittest

SOURCE = os.environ.get("FERROLINK_SOURCE", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("FERROLINK_BUILD", os.path.join(SOURCE, "build", "windows"))
sys.path.insert(0, os.path.join(SOURCE, "tools"))
import display, simclient, winelab  # noqa: E402

# What an installation of the shipped programs leaves, by the setup program or a package: the
# event source, the settings key's access list (kSettingsKeySecurity), and each installed file
# with the folder of the file it must equal.
EVENT_SOURCE = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Ferrolink"
ADMINS_ONLY = "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)"
HELP = os.path.join(SOURCE, "docs", "help")
SHIPPED_FILES = {"Ferrolink.exe": os.path.join(BUILD, "connector"),
                 "FerrolinkConfig_WIN.exe": os.path.join(BUILD, "config"),
                 "setup_helper.exe": os.path.join(BUILD, "installer"), r"Help\ferrolink.html": HELP,
                 r"Help\ferrolink.css": HELP}

SETTINGS_KEY = winelab.SETTINGS_KEY
WORK = r"C:\ferrolink-e2e"
PROGRAM = WORK + r"\FerrolinkConfig_WIN.exe"
HELP_PROBE, HELP_MARKER = WORK + r"\help_probe.exe", WORK + r"\help_probe.txt"
# Where a "Lang.dll" may stand: beside the program, in the folder it is started from, in a
# folder on PATH. The test library's entry point writes LANG_CODE_MARK whenever it runs.
LANG_FOLDERS = {"beside": WORK, "working folder": r"C:\ferrolink-e2e-cwd",
                "PATH": r"C:\ferrolink-e2e-path"}
LANG_CODE_MARK = r"C:\ferrolink-lang-code-ran.txt"
SCREENSHOTS = os.path.join(SOURCE, "docs", "screenshots")
# Listed in an order the file search does not sort: the dialog's list must.
PROFILES = ["Zeta", "Office", "a.b", "Office2"]
STORED = {"Profile": "Office", "Interval": 6, "ProfileUsername": "jo", "ProfilePassword": "s3cret"}
IDS = winelab.CONFIG  # the program's resource ids, as config/res/resource.h defines them
PROFILE_LIST, USER_EDIT, PASSWORD_EDIT, INTERVAL_LIST = (IDS[f"IDC_{n}"] for n in (
    "PROFILE_COMBO", "PROFILE_USER_EDIT", "PROFILE_PASSWORD_EDIT", "INTERVAL_COMBO"))
DELETE_BUTTON, TEST_BUTTON, TASK_TEXT, CHECK_TEXT = (IDS[f"IDC_{n}"] for n in (
    "DELETE_TASK_BUTTON", "TEST_BUTTON", "TASK_STATIC", "CHECK_STATIC"))
ABOUT_COMMAND = IDS["IDM_ABOUTBOX"]
IDOK, IDCANCEL, IDYES, IDNO, ES_PASSWORD = 1, 2, 6, 7, 0x20


def start_display(case):
    """An X server of its own for a test class; every Wine program of the class sees it, also
    those without a window: one started without it can leave Wine's desktop unable to show
    windows for a while."""
    case.enterClassContext(display.xvfb_display())


def drive(case, lab, *args, debug="-all,err+all"):
    """Runs config_driver.exe with these arguments; every step must have been done."""
    out = lab.drive(*args, debug=debug)
    # "terminated": the driver ended a program that did not end by itself.
    case.assertEqual((out.all("fail"), out.all("terminated"), out.exit_code), ([], [], 0),
                     out.stdout + out.stderr[-2000:])
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
        display.save_png(bmp, os.path.join(SCREENSHOTS,
                                           os.path.splitext(os.path.basename(bmp))[0] + ".png"))


def hides_typing(out, window, control):
    """Whether the control has ES_PASSWORD in the window's first dump."""
    return (int(dict(out.dumps(window)[0])[f"{window}.{control}.style"], 16) & ES_PASSWORD
            == ES_PASSWORD)


def open_program_folder(case, folder):
    """The prefix and a display for a test class, and the configuration program copied into
    `folder` (a Windows path, made anew), which case.work names on the Unix side."""
    case.lab = winelab.WinePrefix(os.environ["WINEPREFIX"], BUILD)
    case.lab.init()
    start_display(case)
    case.work = case.lab.unix_path(folder)
    shutil.rmtree(case.work, ignore_errors=True)
    os.makedirs(case.work)
    shutil.copy(os.environ.get("FERROLINK_CONFIG_PROGRAM",
                               os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe")), case.work)


class ConfigProgramCase(unittest.TestCase):
    """The prefix, the display and the program's folder, set up once per test class."""

    @classmethod
    def setUpClass(cls):
        open_program_folder(cls, WORK)
        shutil.copy(os.path.join(BUILD, "tests", "e2e", "help_probe.exe"), cls.work)
        display.draw_title_bars(cls.lab, "FerrolinkConfig_WIN.exe")
        cls.lab.trace_calls()
        simclient.install(cls.lab, {name: {} for name in PROFILES})

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)
        list(map(os.remove, cls.lab.job_files()))
        cls.lab.reg_import({SETTINGS_KEY: None})

    def prepare(self, settings=None, task=False, profiles=PROFILES, client="installed", lang=None):
        """One run's state: the VPN client ("installed", "no key" or "no InstallPath") and its
        profile files, the settings key (None: no key), the work item, and the German "Lang.dll"
        in one of LANG_FOLDERS, or none."""
        client_values = {"TunnelEstablished": 0, **({} if client == "no InstallPath" else
                                                     {"InstallPath": simclient.SIM_FOLDER + "\\"})}
        self.lab.reg_import({simclient.VPN_CLIENT_KEY:
                             None if client == "no key" else client_values,
                             SETTINGS_KEY: settings})
        simclient.write_profiles(self.lab, {name: {} for name in profiles})
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

    def drive(self, *steps, debug="-all,err+all"):
        """Runs the program through the driver with these steps."""
        return drive(self, self.lab, "run", PROGRAM, *steps, debug=debug)

    @staticmethod
    def shot(window, name):
        """A step that captures a window; save_shots converts it to docs/screenshots/<name>.png."""
        return f"shot:{window}:{WORK}\\{name}.bmp"
