#!/usr/bin/env python3
"""FerrolinkSetup.exe under Wine, on a fresh prefix of its own: a silent install into a chosen
folder (every file, value and shortcut, the settings key's access list), F1 in the installed
configuration program, a task configured through its dialog, an interactive install over it
(its pages saved as docs/screenshots/setup-*.png) that keeps settings and task, a silent
uninstall that leaves nothing, and a last install into the default folder.

Environment: FERROLINK_BUILD (the build tree whose programs the setup holds and whose driver
runs under this prefix), FERROLINK_SOURCE, FERROLINK_SETUP_PREFIX (recreated on every run),
WINEARCH (win64, or win32 for a 32-bit prefix with a 32-bit build tree).
"""
import glob, os, re, shutil, subprocess, sys, time, unittest

SOURCE = os.environ["FERROLINK_SOURCE"]
BUILD = os.environ["FERROLINK_BUILD"]
sys.path.insert(0, os.path.join(SOURCE, "tools"))
import winelab  # noqa: E402

WIN64 = os.environ.get("WINEARCH", "win64") == "win64"
VIEW = ["/reg:64"] if WIN64 else []
FOLDER = r"C:\Ferrolink Tunnel"
SETTINGS = r"HKLM\Software\Halvane\Ferrolink"
EVENT_SOURCE = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Ferrolink"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrolink"
MENU = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Ferrolink"
WORK = r"C:\ferrolink-setup-test"
PROBE_MARKER = WORK + r"\help_probe.txt"
ADMINS_ONLY = "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)"
PROGRAMS = {"Ferrolink.exe": "connector", "FerrolinkConfig_WIN.exe": "config", "setup_helper.exe": "installer"}
EARLIER = {"Profile": "Office", "ProfilePassword": "kept"}  # settings of an earlier installation


class SetupProgramTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["FERROLINK_SETUP_PREFIX"], BUILD)
        shutil.rmtree(cls.lab.prefix, ignore_errors=True)
        cls.lab.init()
        cls.lab.start_server()
        cls.addClassCleanup(cls.lab.stop_server)
        cls.display, xvfb = winelab.start_xvfb()
        cls.addClassCleanup(lambda: (xvfb.terminate(), xvfb.wait()))
        os.makedirs(cls.lab.unix_path(WORK))
        shutil.copy(os.path.join(BUILD, "tests", "e2e", "help_probe.exe"), cls.lab.unix_path(WORK))
        sim = cls.lab.unix_path(winelab.SIM_FOLDER)
        os.makedirs(os.path.join(sim, "profiles"))
        shutil.copy(os.path.join(BUILD, "tools", "vpnclient.exe"), sim)
        with open(os.path.join(sim, "profiles", "Office.pcf"), "w", newline="\r\n") as f:
            f.write("[main]\nUsername=jo\nPassword=s3cret\n")
        # A fresh prefix opens .html with nothing (ShellExecute fails with "no association");
        # on Windows a browser does. The probe stands in for it.
        cls.reg("add", r"HKCR\.html", "/ve", "/d", "FerrolinkHelpProbe")
        cls.reg("add", r"HKCR\FerrolinkHelpProbe\shell\open\command", "/ve", "/d",
                f'"{WORK}\\help_probe.exe" "%1"')
        cls.reg("add", winelab.VPN_CLIENT_KEY, "/v", "InstallPath", "/d", winelab.SIM_FOLDER + "\\")
        for name, value in EARLIER.items():
            cls.reg("add", SETTINGS, "/v", name, "/d", value)

    @classmethod
    def reg(cls, *args):
        return cls.lab.wine(["reg", *args, *VIEW, *(["/f"] if args[0] in ("add", "delete") else [])])

    def values(self, key):
        """{name: (type, data)} from `reg export`: texts decoded, REG_EXPAND_SZ as its exact
        UTF-16 bytes, DWORDs as numbers; None when the key is missing."""
        path = self.lab.unix_path(WORK + r"\export.reg")
        if self.reg("export", key, WORK + r"\export.reg", "/y").exit_code != 0:
            return None
        with open(path, encoding="utf-16") as f:
            text = f.read().replace("\\\n  ", "")
        values = {}
        for line in text.splitlines()[3:]:
            name, _, data = line.partition("=")
            if data.startswith('"'):
                values[name.strip('"')] = ("REG_SZ", data[1:-1].replace("\\\\", "\\").replace('\\"', '"'))
            elif data.startswith("dword:"):
                values[name.strip('"')] = ("REG_DWORD", int(data[6:], 16))
            elif data.startswith("hex(2):"):
                values[name.strip('"')] = ("REG_EXPAND_SZ", bytes(int(b, 16) for b in data[7:].split(",")))
        return values

    def setup(self, arguments):
        """Runs the setup with exactly these arguments (wine would quote "/D=" with a blank,
        and NSIS takes the folder unquoted); returns its exit code."""
        shutil.copy(os.path.join(BUILD, "installer", "FerrolinkSetup.exe"), self.lab.unix_path(WORK))
        with open(self.lab.unix_path(WORK + r"\cmdline.txt"), "wb") as f:
            f.write(f'"{WORK}\\FerrolinkSetup.exe" {arguments}'.encode("latin-1"))
        result = self.lab.wine([os.path.join(BUILD, "tools", "launch.exe"), "@" + WORK + r"\cmdline.txt"], timeout=60)
        return int(re.search(r"^exit=(\d+)", result.stdout, re.M).group(1))

    def drive(self, program, *steps):
        result = self.lab.wine([os.path.join(BUILD, "tools", "config_driver.exe"), *program, *steps],
                               display=self.display, timeout=120)
        self.assertNotIn("fail=", result.stdout)
        # The driver escapes each backslash; these values hold no other escapes.
        return {k: v.replace("\\\\", "\\") for k, _, v in
                (line.partition("=") for line in result.stdout.splitlines() if "=" in line)}

    def check_installed(self, folder, settings=None):
        """Everything an installation into `folder` leaves; `settings`: the other values that
        the settings key must hold (by default those of the earlier installation)."""
        for name, subdir in PROGRAMS.items():
            with open(self.lab.unix_path(f"{folder}\\{name}"), "rb") as f, \
                 open(os.path.join(BUILD, subdir, name), "rb") as built:
                self.assertEqual(f.read(), built.read(), name)
        for name in ("ferrolink.html", "ferrolink.css"):
            self.assertTrue(os.path.isfile(self.lab.unix_path(f"{folder}\\Help\\{name}")), name)
        help_file = f"{folder}\\Help\\ferrolink.html"
        settings = settings or {k: ("REG_SZ", v) for k, v in EARLIER.items()}
        self.assertEqual(self.values(SETTINGS), {"InstallPath": ("REG_SZ", folder), "HelpFile": ("REG_SZ", help_file),
                                                 **settings})
        self.assertEqual(self.values(EVENT_SOURCE), {
            "EventMessageFile": ("REG_EXPAND_SZ", f"{folder}\\Ferrolink.exe\0".encode("utf-16-le")),
            "TypesSupported": ("REG_DWORD", 7)})
        entry = self.values(UNINSTALL)
        for name, value in (("DisplayName", "Ferrolink"), ("DisplayVersion", "0.4.0"), ("Publisher", "Halvane"),
                            ("UninstallString", f'"{folder}\\uninstall.exe"'),
                            ("QuietUninstallString", f'"{folder}\\uninstall.exe" /S')):
            self.assertEqual(entry[name], ("REG_SZ", value))
        self.assertEqual(entry["EstimatedSize"][0], "REG_DWORD")
        self.assertGreater(entry["EstimatedSize"][1], 300)  # KB: the two programs and the help
        for link, target in (("Ferrolink Configuration", "FerrolinkConfig_WIN.exe"), ("Ferrolink Help", r"Help\ferrolink.html")):
            with open(self.lab.unix_path(f"{MENU}\\{link}.lnk"), "rb") as f:
                self.assertIn(f"{folder}\\{target}\0".encode("latin-1"), f.read(), link)
        if WIN64:  # the 64-bit programs read the 64-bit view: nothing went to the 32-bit one
            self.assertNotEqual(self.lab.wine(["reg", "query", SETTINGS, "/reg:32"]).exit_code, 0)
        # Wine keeps the descriptor until its server restarts and enforces none of it.
        security = self.lab.wine([self.lab.unix_path(f"{folder}\\setup_helper.exe"), "key-security"])
        self.assertEqual((security.exit_code, security.stdout.strip()), (0, ADMINS_ONLY))

    def stop_started_config_program(self):
        """Ends the configuration program that the setup's finish page started in this
        prefix (waiting up to 10 s for it to appear); returns the process ids it found."""
        deadline, found = time.monotonic() + 10, []
        while not found and time.monotonic() < deadline:
            time.sleep(0.2)
            for pid in filter(str.isdigit, os.listdir("/proc")):
                try:
                    with open(f"/proc/{pid}/cmdline", "rb") as f, open(f"/proc/{pid}/environ", "rb") as e:
                        if f.read().startswith(f"{FOLDER}\\FerrolinkConfig_WIN.exe".encode()) and \
                                f"WINEPREFIX={self.lab.prefix}\0".encode() in e.read():
                            found.append(int(pid))
                except OSError:
                    pass
        for pid in found:
            os.kill(pid, 9)
        return found

    def job_files(self):
        return glob.glob(os.path.join(self.lab.prefix, "drive_c", "windows", "[Tt]asks", "[Ff]errolink.job"))

    def task(self):
        return self.drive(["task", "show"])

    def test_install_use_upgrade_uninstall(self):
        self.assertEqual(self.setup(f"/S /D={FOLDER}"), 0)
        self.check_installed(FOLDER)

        program = ["run", f"{FOLDER}\\FerrolinkConfig_WIN.exe"]
        seen = self.drive(program, "main", "f1", f"waitlines:1:{PROBE_MARKER}",
                          "select:1013:Office", "settext:1008:jo", "settext:1009:s3cret",
                          "select:1022:5 minutes", "press:main:1", "popup", "popuptext:1015:windows-pw",
                          "press:popup:1", "exit")
        self.assertEqual(seen["exit"], "0")
        with open(self.lab.unix_path(PROBE_MARKER), encoding="latin-1") as f:
            self.assertIn(f'"{FOLDER}\\Help\\ferrolink.html"', f.read())
        self.assertEqual(self.task()["task.application"], f"{FOLDER}\\Ferrolink.exe")
        stored = self.values(SETTINGS)

        # An older connector stands in the folder; the interactive setup proposes the same
        # folder, replaces it and keeps the settings and the task.
        with open(self.lab.unix_path(f"{FOLDER}\\Ferrolink.exe"), "wb") as f:
            f.write(b"older")
        pages = ["welcome", "folder", "progress", "finish"]
        steps = ["popup"]
        for page in pages:
            steps += [f"shot:popup:{WORK}\\setup-{page}.bmp", "press:popup:1", "sleep:1500"]
        seen = self.drive(["run", os.path.join(BUILD, "installer", "FerrolinkSetup.exe")],
                          *steps[:-1], "exit")
        self.assertEqual(seen["exit"], "0")
        # Finish opened the installed configuration program, checked by default.
        self.assertEqual(len(self.stop_started_config_program()), 1)
        self.check_installed(FOLDER, stored)
        task = self.task()
        self.assertEqual((task["task.exists"], task["task.application"]), ("1", f"{FOLDER}\\Ferrolink.exe"))
        self.assertEqual(task["task.parameters"], '"Office" -u "jo" -p "s3cret"')
        for page in pages:
            subprocess.run(["convert", self.lab.unix_path(f"{WORK}\\setup-{page}.bmp"), "-strip",
                            os.path.join(SOURCE, "docs", "screenshots", f"setup-{page}.png")], check=True)

        self.assertEqual(len(self.job_files()), 1)
        # The uninstaller runs a copy of itself from the temporary folder and returns at once.
        self.assertEqual(self.lab.wine([self.lab.unix_path(f"{FOLDER}\\uninstall.exe"), "/S"]).exit_code, 0)
        deadline = time.monotonic() + 30
        while os.path.exists(self.lab.unix_path(FOLDER)) and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertFalse(os.path.exists(self.lab.unix_path(FOLDER)))
        self.assertFalse(os.path.exists(self.lab.unix_path(MENU)))
        for key in (SETTINGS, r"HKLM\Software\Halvane", EVENT_SOURCE, UNINSTALL):
            self.assertIsNone(self.values(key), key)
        self.assertEqual(self.task()["task.exists"], "0")
        self.assertEqual(self.job_files(), [])

        for name, value in EARLIER.items():
            self.reg("add", SETTINGS, "/v", name, "/d", value)
        self.assertEqual(self.setup("/S"), 0)
        self.check_installed(r"C:\Program Files\Ferrolink")


if __name__ == "__main__":
    unittest.main()
