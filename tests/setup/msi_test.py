#!/usr/bin/env python3
"""The Windows Installer packages: their tables read back (what wixl may drop with a warning
only), and Ferrolink-x64.msi under msiexec on a fresh 64-bit prefix: refused beside the setup
program's installation, installed (and the setup program refused beside it), used, upgraded by
a higher version built here, a downgrade refused, removed. Environment: FERROLINK_BUILD (the
64-bit build tree), FERROLINK_SOURCE, FERROLINK_MSI_FOLDER (the built packages),
FERROLINK_MSI_PREFIX (recreated), FERROLINK_VERSION, WIXL, FERROLINK_SETUP (the setup program,
which must refuse to install beside a package), FERROLINK_KEY_PROBE (prints the settings key's
access list, a 64-bit program)."""
import os, re, shutil, subprocess, sys, tempfile, unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e_support import (ADMINS_ONLY, BUILD, EVENT_SOURCE, HELP, SHIPPED_FILES,  # noqa: E402
                          SOURCE, drive, simclient, start_display, winelab)

PACKAGES = os.environ["FERROLINK_MSI_FOLDER"]
KEY_PROBE = os.environ["FERROLINK_KEY_PROBE"]
VERSION = os.environ["FERROLINK_VERSION"]
HIGHER = ".".join(VERSION.split(".")[:2] + [str(int(VERSION.split(".")[2]) + 1)])
WXS = os.path.join(SOURCE, "installer", "Ferrolink.wxs")
WORK = r"C:\ferrolink-msi-test"
FOLDER = "C:\\Program Files\\Ferrolink\\"
VIEW = ["/reg:64"]
SETTINGS = winelab.SETTINGS_KEY
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
FATAL = 1603  # Windows Installer's "fatal error during installation"
REMOVAL = 'REMOVE~="ALL" AND NOT UPGRADINGPRODUCTCODE'
APPLY = ("/apply /profile:Office /user:jo /password:- /interval:15 /account:vpnuser "
         "/accountpassword:-")


def table(package, name):
    """The rows of one table of a package, as lists of texts (msiinfo export's three header lines
    left out)."""
    out = subprocess.run(["msiinfo", "export", package, name], check=True, capture_output=True,
                         text=True).stdout
    return [line.split("\t") for line in out.splitlines()[3:]]


def build_package(arch, version, source, out):
    """Builds a package as the build does, with another version and documents from `source`."""
    here = os.path.dirname(WXS)
    bin_tree = BUILD if arch == "x64" else os.path.join(SOURCE, "build", "windows-x86")
    subprocess.run([os.environ["WIXL"], "-a", arch, "-D", f"Arch={arch}",
                    "-D", f"Version={version}", "-D", f"Source={os.path.relpath(source, here)}",
                    "-D", f"Bin={os.path.relpath(bin_tree, here)}", "-o", out, WXS],
                   check=True, capture_output=True)


class PackageTablesTest(unittest.TestCase):
    """What each package does is in its tables: read back, not taken from the source."""

    def test_tables_of_both_packages(self):
        # The 64-bit package: components (256) and its registry search (16) in the 64-bit view.
        for arch, program_files, win64, search in (("x64", "ProgramFiles64Folder", 256, 18),
                                                   ("x86", "ProgramFilesFolder", 0, 2)):
            with self.subTest(arch):
                package = os.path.join(PACKAGES, f"Ferrolink-{arch}.msi")
                sequence = {row[0]: (row[1], int(row[2]))
                            for row in table(package, "InstallExecuteSequence")}
                first, last = sequence["InstallInitialize"][1], sequence["InstallFinalize"][1]
                # Deferred actions run only inside the transaction; the task and the key go while
                # the programs are still there, and only on a removal that is no major upgrade.
                self.assertEqual({name: sequence[name] for name in
                                  ("DeleteTask", "DeleteSettings", "SecureSettingsKey")},
                                 {"DeleteTask": (REMOVAL, 1510), "DeleteSettings": (REMOVAL, 1520),
                                  "SecureSettingsKey": ('NOT REMOVE~="ALL"', 5010)})
                self.assertTrue(first < 1510 < 1520 < sequence["RemoveRegistryValues"][1]
                                < sequence["RemoveFiles"][1]
                                and sequence["WriteRegistryValues"][1] < 5010 < last)
                self.assertTrue(sequence["InstallValidate"][1]
                                < sequence["RemoveExistingProducts"][1] < first)
                # 3090: an installed program (18), deferred (1024), not impersonated (2048),
                # its exit code checked (no 64).
                self.assertEqual(table(package, "CustomAction"),
                                 [["DeleteTask", "3090", "Configuration", "/delete", ""],
                                  ["DeleteSettings", "3090", "Helper", "delete-settings", ""],
                                  ["SecureSettingsKey", "3090", "Helper", "secure-key", ""]])
                self.assertEqual({row[3]: row[4] for row in table(package, "Registry")},
                                 {"InstallPath": "[INSTALLDIR]",
                                  "HelpFile": r"[INSTALLDIR]Help\ferrolink.html",
                                  "EventMessageFile": "#%[INSTALLDIR]Ferrolink.exe",
                                  "TypesSupported": "#7"})
                components = table(package, "Component")
                self.assertEqual([int(row[3]) & 256 for row in components], [win64] * 4)
                self.assertIn(["INSTALLDIR", program_files, "Ferrolink"],
                              table(package, "Directory"))
                # The setup program's uninstall key, searched in the programs' registry view.
                self.assertEqual(table(package, "RegLocator"), [
                    ["SetupUninstaller", "2",
                     r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferrolink",
                     "QuietUninstallString", str(search)]])
                conditions = dict(table(package, "LaunchCondition"))
                self.assertIn("Remove that installation first with [SETUPUNINSTALLER]",
                              conditions["Installed OR NOT SETUPUNINSTALLER"])
                self.assertIn("A newer version of Ferrolink is installed",
                              conditions["NOT WIX_DOWNGRADE_DETECTED"])
                self.assertEqual("Installed OR NOT VersionNT64" in conditions, arch == "x86")
                code = dict(table(package, "Property"))["UpgradeCode"]
                # Every lower version is upgraded; a higher one is only detected, which refuses.
                self.assertEqual(table(package, "Upgrade"),
                                 [[code, "", VERSION, "", "1", "", "WIX_UPGRADE_DETECTED"],
                                  [code, VERSION, "", "", "2", "", "WIX_DOWNGRADE_DETECTED"]])
                # Another build keeps the upgrade code and the component codes: only the product
                # code is new.
                with tempfile.TemporaryDirectory() as folder:
                    other = os.path.join(folder, "other.msi")
                    build_package(arch, HIGHER, SOURCE, other)
                    self.assertEqual((dict(table(other, "Property"))["UpgradeCode"],
                                      table(other, "Component")),
                                     (code, components))
                    self.assertNotEqual(dict(table(other, "Property"))["ProductCode"],
                                        dict(table(package, "Property"))["ProductCode"])
        # Each architecture is a product of its own.
        self.assertEqual(len({dict(table(os.path.join(PACKAGES, f"Ferrolink-{arch}.msi"),
                                         "Property"))["UpgradeCode"]
                              for arch in ("x64", "x86")}), 2)


class PackageUnderWineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["FERROLINK_MSI_PREFIX"], BUILD)
        shutil.rmtree(cls.lab.prefix, ignore_errors=True)
        cls.lab.init()
        cls.lab.start_server()
        cls.addClassCleanup(cls.lab.stop_server)
        start_display(cls)
        os.makedirs(cls.lab.unix_path(WORK))
        cls.lab.trace_calls()  # the connector's events (launch())
        # The profile expects these credentials.
        simclient.install(cls.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})

    def values(self, key):
        return self.lab.reg_values(key, VIEW)

    def msiexec(self, *arguments):
        """msiexec with these arguments and a log; gives its full exit code and the properties
        that the log shows at its end (Wine's log leaves out a launch condition's message)."""
        log = WORK + r"\msiexec.log"
        if os.path.exists(self.lab.unix_path(log)):
            os.remove(self.lab.unix_path(log))
        line = " ".join(f'"{a}"' if " " in a else a for a in arguments)
        code = self.lab.launch(rf'C:\windows\system32\msiexec.exe {line} /qn /l*v {log}',
                               debug="-all").exit_code
        with open(self.lab.unix_path(log), "rb") as f:
            data = f.read()
        text = data.decode("utf-16" if data[:2] == b"\xff\xfe" else "latin-1", "replace")
        return code, dict(re.findall(r"^Property\(S\): (\w+) = (.*)$", text, re.M))

    def package(self, name, target):
        """Copies a package into the prefix as `target`; gives its Windows path and product code."""
        shutil.copy(name, self.lab.unix_path(WORK + "\\" + target))
        return WORK + "\\" + target, dict(table(name, "Property"))["ProductCode"]

    def command(self, arguments, stdin=b""):
        result = self.lab.launch(f'"{FOLDER}FerrolinkConfig_WIN.exe" {arguments}', stdio=stdin,
                                 debug="-all")
        return result.exit_code, result.output

    def check_installed(self, help_source=HELP):
        for name, shipped_in in {**SHIPPED_FILES, r"Help\ferrolink.html": help_source}.items():
            with open(self.lab.unix_path(FOLDER + name), "rb") as f, \
                    open(os.path.join(shipped_in, name.split("\\")[-1]), "rb") as shipped:
                self.assertEqual(f.read(), shipped.read(), name)
        self.assertEqual({k: v for k, v in self.values(SETTINGS).items()
                          if k in ("InstallPath", "HelpFile")},
                         {"InstallPath": ("REG_SZ", FOLDER),
                          "HelpFile": ("REG_SZ", FOLDER + r"Help\ferrolink.html")})
        self.assertEqual(self.values(EVENT_SOURCE),
                         {"EventMessageFile": ("REG_EXPAND_SZ", FOLDER + "Ferrolink.exe"),
                          "TypesSupported": ("REG_DWORD", "0x7")})
        self.assertNotEqual(self.lab.wine(["reg", "query", SETTINGS, "/reg:32"]).exit_code, 0)
        # Set by the package's custom action; Wine keeps it while its server runs.
        security = self.lab.wine([KEY_PROBE])
        self.assertEqual((security.exit_code, security.stdout.strip()), (0, ADMINS_ONLY))

    def apply_and_connect(self):
        """/apply, the task's command line as the scheduler starts it, /status."""
        self.lab.reg_add(simclient.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 0)
        self.assertEqual(self.command(APPLY, b"s3cret\r\nwindows-pw\r\n"),
                         (0, "The settings were saved and the task was created or updated.\r\n"))
        task = drive(self, self.lab, "task", "show")
        self.assertEqual(task["task.application"], FOLDER + "Ferrolink.exe")
        connector = self.lab.launch(f'"{task["task.application"]}" {task["task.parameters"]}')
        self.assertEqual((connector.exit_code, connector.events),
                         (0, ["VPN connection established."]))
        code, out = self.command("/status")
        self.assertEqual((code, out.splitlines()[0]), (0, "FERROLINK OK - task present, tunnel up"))

    def test_install_use_upgrade_downgrade_remove(self):
        package, product = self.package(os.path.join(PACKAGES, "Ferrolink-x64.msi"),
                                        "Ferrolink-x64.msi")
        # Beside the setup program's installation nothing is installed, and the log says why.
        setup_entry = rf"{UNINSTALL}\Ferrolink"
        self.lab.reg_import({setup_entry: {
            "QuietUninstallString": r'"C:\Program Files\Ferrolink\uninstall.exe" /S'}})
        code, properties = self.msiexec("/i", package)
        self.assertEqual((code, properties["SETUPUNINSTALLER"][:5]), (FATAL, '"C:\\P'))
        self.assertFalse(os.path.exists(self.lab.unix_path(FOLDER)))
        self.lab.reg_import({setup_entry: None})

        self.assertEqual(self.msiexec("/i", package)[0], 0)
        self.check_installed()
        # And the setup program, a 32-bit program, refuses to install beside the package.
        if winelab.runs_32bit_programs():
            shutil.copy(os.environ["FERROLINK_SETUP"], self.lab.unix_path(WORK))
            setup = self.lab.launch(rf'"{WORK}\FerrolinkSetup.exe" /S', timeout=60, debug="-all")
            self.assertEqual((setup.exit_code,
                              os.path.exists(self.lab.unix_path(FOLDER + "uninstall.exe"))),
                             (2, False))
        self.apply_and_connect()

        # A higher version, with a help document of its own, replaces it as one product.
        with tempfile.TemporaryDirectory() as newer:
            shutil.copytree(os.path.join(SOURCE, "docs"), os.path.join(newer, "docs"))
            with open(os.path.join(newer, "docs", "help", "ferrolink.html"), "a") as f:
                f.write(f"<!-- {HIGHER} -->\n")
            build_package("x64", HIGHER, newer, os.path.join(newer, "Ferrolink-x64.msi"))
            higher, higher_product = self.package(os.path.join(newer, "Ferrolink-x64.msi"),
                                                  "Ferrolink-x64-higher.msi")
            self.assertEqual(self.msiexec("/i", higher)[0], 0)
            self.check_installed(os.path.join(newer, "docs", "help"))
        self.assertIsNone(self.values(rf"{UNINSTALL}\{product}"))
        self.assertEqual(self.values(rf"{UNINSTALL}\{higher_product}")["DisplayVersion"],
                         ("REG_SZ", HIGHER))

        # The older package over the newer one is refused and changes nothing.
        code, properties = self.msiexec("/i", package)
        self.assertEqual((code, properties["WIX_DOWNGRADE_DETECTED"]), (FATAL, higher_product))
        self.assertIsNone(self.values(rf"{UNINSTALL}\{product}"))

        # Wine removed the older product as a plain removal, task and key with it (Windows
        # keeps them: UPGRADINGPRODUCTCODE, checked in the tables): the task again, then removal.
        self.apply_and_connect()
        with open(self.lab.unix_path(FOLDER + "connector.log"), "wb") as f:
            f.write(b"the administrator's")
        self.assertEqual(self.msiexec("/x", higher_product)[0], 0)
        self.assertEqual((drive(self, self.lab, "task", "show")["task.exists"],
                          self.lab.job_files()), ("0", []))
        for key in (SETTINGS, r"HKLM\Software\Halvane", EVENT_SOURCE,
                    rf"{UNINSTALL}\{higher_product}"):
            self.assertIsNone(self.values(key), key)
        root = self.lab.unix_path(FOLDER)
        self.assertEqual([os.path.relpath(os.path.join(d, f), root)
                          for d, _, fs in os.walk(root) for f in fs],
                         ["connector.log"])
        self.assertEqual(os.listdir(root), ["connector.log"])


if __name__ == "__main__":
    unittest.main()
