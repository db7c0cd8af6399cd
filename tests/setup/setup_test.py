#!/usr/bin/env python3
"""FerrolinkSetup.exe on a fresh Wine prefix: silent install, a task through the installed program,
an interactive install over it (pages saved as docs/screenshots/setup-*.png), silent uninstall,
default folder; after it (the tests run in name order) an upgrade over a running connector and a
folder created outside the program files folder. Environment: FERROLINK_BUILD (whose programs are
installed and whose driver runs here), FERROLINK_SETUP (the setup program), FERROLINK_SOURCE,
FERROLINK_SETUP_PREFIX (recreated), WINEARCH (win64, or win32 with a 32-bit build tree),
FERROLINK_KEY_PROBE (prints the settings key's access list, built with the installed programs'
bitness)."""
import os, shutil, subprocess, sys, unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_support import (ADMINS_ONLY, BUILD, EVENT_SOURCE, SHIPPED_FILES,  # noqa: E402
                          drive, save_shots, simclient, start_display, wait_until, winelab)

SETUP = os.environ["FERROLINK_SETUP"]  # the shipped setup, a 32-bit program
KEY_PROBE = os.environ["FERROLINK_KEY_PROBE"]
WIN64 = os.environ.get("WINEARCH", "win64") == "win64"
VIEW = ["/reg:64"] if WIN64 else []
FOLDER = r"C:\Ferrolink Tunnel"
SETTINGS = winelab.SETTINGS_KEY
C = winelab.CONFIG  # the configuration program's control ids
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrolink"
MENU = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Ferrolink"
WORK = r"C:\ferrolink-setup-test"
# Each installed file and the folder of the file it must equal.
EARLIER = {"Profile": "Office", "ProfilePassword": "kept"}  # settings of an earlier installation
PROGRAM_FILES = r"C:\Program Files\Ferrolink"
NOT_REPLACED = 4  # the setup's exit code when a file of the earlier installation is busy
OLDER = ("FerrolinkConfig_WIN.exe", "Ferrolink.exe")


class SetupProgramTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not winelab.runs_32bit_programs():
            raise unittest.SkipTest("the setup is a 32-bit program, which this machine cannot run")
        cls.lab = winelab.WinePrefix(os.environ["FERROLINK_SETUP_PREFIX"], BUILD)
        shutil.rmtree(cls.lab.prefix, ignore_errors=True)
        cls.lab.init()
        # Its server makes the files: a folder made without an access list is then 755.
        os.umask(0o022)
        cls.lab.start_server()
        cls.addClassCleanup(cls.lab.stop_server)
        start_display(cls)
        os.makedirs(cls.lab.unix_path(WORK))
        # Its key and the settings go to the programs' view.
        simclient.install(cls.lab, {"Office": {}})
        cls.lab.reg_import({SETTINGS: EARLIER})

    def values(self, key):
        """{name: (type, data)} of the key in the programs' registry view; None when missing."""
        return self.lab.reg_values(key, VIEW)

    def setup(self, arguments):
        """Runs the setup with exactly these arguments (wine would quote "/D=" with a blank,
        and NSIS takes the folder unquoted); returns its exit code."""
        shutil.copy(SETUP, self.lab.unix_path(WORK + r"\FerrolinkSetup.exe"))
        return self.lab.launch(f'"{WORK}\\FerrolinkSetup.exe" {arguments}', timeout=60,
                               debug="-all").exit_code

    def others(self, folder):
        """What Wine shows of a folder's access list: it keeps no descriptor for files but derives
        the Unix permissions of others from the entry for Everyone."""
        return os.stat(self.lab.unix_path(folder)).st_mode & 0o007

    def files_under(self, folder):
        root = self.lab.unix_path(folder)
        return sorted(os.path.relpath(os.path.join(d, f), root)
                      for d, _, fs in os.walk(root) for f in fs)

    def check_files(self, folder):
        """The programs and the help document in `folder` are the shipped ones."""
        for name, shipped_in in SHIPPED_FILES.items():
            with open(self.lab.unix_path(f"{folder}\\{name}"), "rb") as f, \
                    open(os.path.join(shipped_in, name.split("\\")[-1]), "rb") as shipped:
                self.assertEqual(f.read(), shipped.read(), name)

    def check_installed(self, folder, settings=None):
        """Everything an installation into `folder` leaves; `settings`: the other values that
        the settings key must hold (by default those of the earlier installation)."""
        self.check_files(folder)
        help_file = f"{folder}\\Help\\ferrolink.html"
        settings = {k: ("REG_SZ", v) for k, v in EARLIER.items()} if settings is None else settings
        self.assertEqual(self.values(SETTINGS), {"InstallPath": ("REG_SZ", folder),
                                                 "HelpFile": ("REG_SZ", help_file), **settings})
        self.assertEqual(self.values(EVENT_SOURCE), {
            "EventMessageFile": ("REG_EXPAND_SZ", f"{folder}\\Ferrolink.exe"),
            "TypesSupported": ("REG_DWORD", "0x7")})
        entry = self.values(UNINSTALL)
        expected = {"DisplayName": "Ferrolink", "DisplayVersion": "0.4.0", "Publisher": "Halvane",
                    "UninstallString": f'"{folder}\\uninstall.exe"',
                    "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'}
        self.assertEqual({k: entry[k] for k in expected},
                         {k: ("REG_SZ", v) for k, v in expected.items()})
        self.assertGreater(int(entry["EstimatedSize"][1], 16), 300)  # KB: programs and help
        for link, target in (("Ferrolink Configuration", "FerrolinkConfig_WIN.exe"),
                             ("Ferrolink Help", r"Help\ferrolink.html")):
            with open(self.lab.unix_path(f"{MENU}\\{link}.lnk"), "rb") as f:
                self.assertIn(f"{folder}\\{target}\0".encode("latin-1"), f.read(), link)
        if WIN64:  # the 64-bit programs read the 64-bit view: nothing went to the 32-bit one
            self.assertNotEqual(self.lab.wine(["reg", "query", SETTINGS, "/reg:32"]).exit_code, 0)
        # Wine keeps the descriptor until its server restarts and enforces none of it.
        security = self.lab.wine([KEY_PROBE])
        self.assertEqual((security.exit_code, security.stdout.strip()), (0, ADMINS_ONLY))

    def test_install_use_upgrade_uninstall(self):
        self.assertEqual(self.setup(f"/S /D={FOLDER}"), 0)
        self.check_installed(FOLDER)

        # The installed program, which finds the connector through the setup's "InstallPath".
        seen = drive(self, self.lab, "run", f"{FOLDER}\\FerrolinkConfig_WIN.exe", "main",
                     f"select:main:{C['IDC_PROFILE_COMBO']}:Office",
                     f"settext:main:{C['IDC_PROFILE_USER_EDIT']}:jo",
                     f"settext:main:{C['IDC_PROFILE_PASSWORD_EDIT']}:s3cret",
                     f"select:main:{C['IDC_INTERVAL_COMBO']}:5 minutes", "press:main:1", "popup",
                     f"settext:popup:{C['IDC_ACCOUNT_PASSWORD_EDIT']}:windows-pw", "press:popup:1",
                     "exit")
        self.assertEqual(seen["exit"], "0")
        stored = self.values(SETTINGS)

        # An older connector stands in the folder; the interactive setup proposes the same
        # folder, replaces it and keeps the settings and the task.
        with open(self.lab.unix_path(f"{FOLDER}\\Ferrolink.exe"), "wb") as f:
            f.write(b"older")
        # Each Next changes the page inside the same window, which no step can wait for: a
        # bounded wait before the next page's picture; the installing page's Next is enabled
        # once the files are in place.
        steps = ["popup"]
        for page in ("welcome", "folder", "progress", "finish"):
            steps += ["waitenabled:popup:1", "sleep:500"] if page == "progress" else []
            steps += [f"shot:popup:{WORK}\\setup-{page}.bmp", "press:popup:1", "sleep:1500"]
        shots = drive(self, self.lab, "run", SETUP, *steps[:-1], "exit")
        self.assertEqual(shots.all("waitenabled"), ["1"])
        self.assertEqual(shots["exit"], "0")
        # Finish opened the installed configuration program, checked by default; nothing says
        # when it has started: a bounded wait for it, which ends it.
        killed = wait_until(lambda: (kill := self.lab.wine(["taskkill", "/f", "/im",
                                                            "FerrolinkConfig_WIN.exe"]))
                            .exit_code == 0 and kill.stdout, 10)
        self.assertEqual(str(killed).count("terminated"), 1)
        self.check_installed(FOLDER, stored)
        task = drive(self, self.lab, "task", "show")
        self.assertEqual((task["task.application"], task["task.parameters"],
                          len(self.lab.job_files())),
                         (f"{FOLDER}\\Ferrolink.exe", '"Office" -u "jo" -p "s3cret"', 1))

        # The uninstaller runs a copy of itself from the temporary folder and returns at once. It
        # deletes what the setup installed, by name: the administrator's own picture stays.
        with open(self.lab.unix_path(f"{FOLDER}\\screenshots\\mine.png"), "wb") as f:
            f.write(b"the administrator's")
        self.assertEqual(self.lab.wine([self.lab.unix_path(f"{FOLDER}\\uninstall.exe"),
                                        "/S"]).exit_code, 0)
        wait_until(lambda: self.files_under(FOLDER) == ["screenshots/mine.png"], 30)
        self.assertEqual(self.files_under(FOLDER), ["screenshots/mine.png"])
        self.assertFalse(os.path.exists(self.lab.unix_path(MENU)))
        for key in (SETTINGS, r"HKLM\Software\Halvane", EVENT_SOURCE, UNINSTALL):
            self.assertIsNone(self.values(key), key)
        self.assertEqual(drive(self, self.lab, "task", "show")["task.exists"], "0")
        self.assertEqual(self.lab.job_files(), [])

        self.assertEqual(self.setup("/S"), 0)
        self.check_installed(PROGRAM_FILES, settings={})
        # Made as any folder: it has the rights of Program Files.
        self.assertEqual(self.others(PROGRAM_FILES), 0o5)
        if SETUP == os.environ["FERROLINK_SETUP"]:  # the pictures show the shipped setup only
            save_shots(self.lab, shots)

    def test_running_connector_is_not_replaced(self):
        self.assertEqual(self.setup(f"/S /D={PROGRAM_FILES}"), 0)
        # The scheduled task's connector runs, waiting for the client; it and the configuration
        # program, which the setup would replace before it, are older ones.
        for name in OLDER:
            with open(self.lab.unix_path(f"{PROGRAM_FILES}\\{name}"), "ab") as f:
                f.write(b"older")
        simclient.script(self.lab, "stat delay=60000\n")
        simclient.clear_journal(self.lab)
        self.addCleanup(simclient.script, self.lab, "")
        command = [self.lab.loader(), f"{PROGRAM_FILES}\\Ferrolink.exe", "Office", "-u", "jo",
                   "-p", "x"]
        connector = subprocess.Popen(command, env=self.lab.env(), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(connector.wait, 30)
        self.addCleanup(self.lab.wine, ["taskkill", "/f", "/im", "vpnclient.exe"])
        self.assertTrue(wait_until(lambda: simclient.journal(self.lab), 30))

        # Silently nothing is replaced, and the exit code says so.
        self.assertEqual(self.setup(f"/S /D={PROGRAM_FILES}"), NOT_REPLACED)
        for name in OLDER:
            with open(self.lab.unix_path(f"{PROGRAM_FILES}\\{name}"), "rb") as f:
                self.assertEqual(f.read()[-5:], b"older", f"{name} was replaced")
        # Once the connector has ended, the same command installs.
        self.lab.wine(["taskkill", "/f", "/im", "vpnclient.exe"])
        connector.wait(30)
        self.assertEqual(self.setup(f"/S /D={PROGRAM_FILES}"), 0)
        self.check_files(PROGRAM_FILES)

    def test_protected_folder_outside_program_files(self):
        # The outermost folder that the setup creates gets the helper's access list, which gives
        # Everyone nothing; the folder it is created in existed and keeps its rights.
        self.assertEqual(self.setup(f"/S /D={WORK}\\new\\Ferrolink"), 0)
        self.check_files(f"{WORK}\\new\\Ferrolink")
        self.assertEqual((self.others(WORK), self.others(f"{WORK}\\new")), (0o5, 0))
        # A folder outside the system code page is the one protected, not a look-alike. Wine
        # passes its arguments on as UTF-16 (the launcher's line file is in the code page).
        shutil.copy(SETUP, self.lab.unix_path(WORK + r"\FerrolinkSetup.exe"))
        setup = self.lab.wine([self.lab.unix_path(WORK + r"\FerrolinkSetup.exe"), "/S",
                               "/D=C:\\Łódź\\Ferrolink"])
        self.assertEqual(setup.exit_code, 0)
        self.check_files("C:\\Łódź\\Ferrolink")
        self.assertEqual(self.others("C:\\Łódź"), 0)
        # A folder that exists and that others can change (a local user made it beforehand) is
        # refused: nothing is installed into it.
        os.makedirs(self.lab.unix_path(f"{WORK}\\open"))
        os.chmod(self.lab.unix_path(f"{WORK}\\open"), 0o777)
        self.assertEqual((self.setup(f"/S /D={WORK}\\open"), self.files_under(f"{WORK}\\open")),
                         (2, []))


if __name__ == "__main__":
    unittest.main()
