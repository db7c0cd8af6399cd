#!/usr/bin/env python3
"""The real Ferrolink.exe under Wine, started with exact command lines as the Task Scheduler
starts it, against the simulated VPN client: exit codes, event-log messages, log-file bytes,
what the client received and how it was shown, and the program's resources."""
import os
import re
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["FERROLINK_SOURCE"], "tools"))
from winelab import SIM_FOLDER, VPN_CLIENT_KEY, WinePrefix  # noqa: E402

import pefile  # noqa: E402

BUILD = os.environ["FERROLINK_BUILD"]
PREFIX = WinePrefix(os.environ["WINEPREFIX"], BUILD)

BAD_ARGS = "Error: Incorrect command-line argumets"
NO_PROFILE = "Error: No profile specified"
NO_USER = "Error: No username specified"
NO_PASSWORD = "Error: No password specified"
NOT_FOUND = "Error: Client not found"
CONNECT_FAILED = 'Tunnel checked and DOWN. Error: Execution of "vpnclient connect" failed'
ESTABLISHED = "VPN connection established."
LOG = r"C:\ferrolink-test\connector.log"
STAMP = r"(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d\d \d\d:\d\d:\d\d \d{4}"
SW_HIDE = "0"


class ConnectorTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        PREFIX.init()
        cls.exe = PREFIX.install_connector()

    def setUp(self):
        PREFIX.install_sim(profiles={"Office": {"Username": "jo", "Password": "secret"},
                                     "Office VPN": {"Username": "jo smith", "Password": "p w"}})
        self.log_path = PREFIX.unix_path(LOG)
        if os.path.exists(self.log_path):
            os.remove(self.log_path)

    def run_connector(self, arguments, timeout=60):
        return PREFIX.launch(f'"{self.exe}" {arguments}', timeout=timeout)

    def log_lines(self):
        if not os.path.exists(self.log_path):
            return None
        with open(self.log_path, "rb") as f:
            data = f.read()
        self.assertTrue(data.endswith(b"\r\n"), data)
        lines = data.decode("latin-1").split("\r\n")[:-1]
        messages = []
        for line in lines:
            match = re.fullmatch(STAMP + r": (.*)", line, re.S)
            self.assertIsNotNone(match, line)
            messages.append(match.group(3))
        return messages

    def test_outcome_table(self):
        full = f'"Office" -u "jo" -p "secret" -l {LOG}'
        rows = [
            # name, sim script, arguments, exit code, messages, client commands run
            ("rejected", "", f"-l {LOG} Office -u", 1, [BAD_ARGS], []),
            ("no profile", "", f"-l {LOG}", 1, [NO_PROFILE], []),
            ("no user", "", f'"Office" -p "secret" -l {LOG}', 1, [NO_USER], []),
            ("no password", "", f'"Office" -u "jo" -l {LOG}', 1, [NO_PASSWORD], []),
            ("connected", "", full, 0, [ESTABLISHED], ["stat", 'connect "Office" user "jo" pwd "secret"']),
            ("refused password", "", f'"Office" -u "jo" -p "wrong" -l {LOG}', 0,
             ['Attempt to connect profile "Office" exitted with return code: 14 (ERR_START_FAILED)'],
             ["stat", 'connect "Office" user "jo" pwd "wrong"']),
            ("unknown profile", "", f'"Home" -u "jo" -p "secret" -l {LOG}', 0,
             ['Attempt to connect profile "Home" exitted with return code: 10 (ERR_NO_PROFILE)'],
             ["stat", 'connect "Home" user "jo" pwd "secret"']),
            ("all bits set", "connect exit=0xFFFFFFFF\n", full, 1, [CONNECT_FAILED],
             ["stat", 'connect "Office" user "jo" pwd "secret"']),
            ("crashed client", "connect crash=1\n", full, 1, [],
             ["stat", 'connect "Office" user "jo" pwd "secret"']),
            ("ended with 259", "connect exit=259\n", full, 0,
             ['Attempt to connect profile "Office" exitted with return code: 259 (ERROR)'],
             ["stat", 'connect "Office" user "jo" pwd "secret"']),
            ("stat failed, flag set", "stat exit=16 tunnel=up\n", full, 0, [ESTABLISHED],
             ["stat", 'connect "Office" user "jo" pwd "secret"']),
        ]
        for name, script, arguments, exit_code, messages, commands in rows:
            with self.subTest(name):
                self.setUp()
                PREFIX.script_sim(script)
                result = self.run_connector(arguments)
                self.assertEqual(result.exit_code, exit_code)
                self.assertEqual(result.events, messages)
                # Information type, category 0, id 0x40000000, no sid, one string, no data.
                self.assertEqual(result.event_calls, [(4, 0, 0x40000000, 0, 1, 0, 0)] * len(messages))
                self.assertEqual(self.log_lines(), messages or None)
                self.assertEqual(PREFIX.journal(), [(SW_HIDE, c) for c in commands])

    def test_tunnel_up_does_nothing_and_reports_nothing(self):
        for name, flag in (("flag set", "1"), ("flag unreadable", None), ("flag all bits", "0xFFFFFFFF")):
            with self.subTest(name):
                PREFIX.clear_journal()
                if flag is None:
                    PREFIX.reg_delete(VPN_CLIENT_KEY, "TunnelEstablished")
                else:
                    PREFIX.reg_add(VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", flag)
                result = self.run_connector(f'"Office" -u "jo" -p "secret" -l {LOG}')
                self.assertEqual((result.exit_code, result.events), (0, []))
                self.assertIsNone(self.log_lines())
                self.assertEqual(PREFIX.journal(), [(SW_HIDE, "stat")])

    def test_connect_brings_tunnel_up_then_next_run_sees_it(self):
        self.assertEqual(self.run_connector('"Office" -u "jo" -p "secret"').events, [ESTABLISHED])
        self.assertEqual(PREFIX.tunnel_flag(), 1)
        again = self.run_connector('"Office" -u "jo" -p "secret"')
        self.assertEqual((again.exit_code, again.events), (0, []))

    def test_profile_and_user_with_blanks_reach_client_as_one_argument(self):
        result = self.run_connector('"Office VPN" -U "jo smith" -P "p w"')
        self.assertEqual((result.exit_code, result.events), (0, [ESTABLISHED]))
        self.assertEqual(PREFIX.journal()[-1], (SW_HIDE, 'connect "Office VPN" user "jo smith" pwd "p w"'))

    def test_start_up_hands_over_the_command_line_after_the_program_name(self):
        plain = r"C:\ferrolink-test\Ferrolink.exe"
        shutil.copy(PREFIX.unix_path(self.exe), PREFIX.unix_path(plain))
        rows = [
            ("quoted name, no blank after it", f'"{self.exe}"Office -u jo -p secret'),
            ("plain name, tab and blanks after it", f"{plain}\t  Office -u jo -p secret"),
        ]
        for name, command_line in rows:
            with self.subTest(name):
                PREFIX.clear_journal()
                result = PREFIX.launch(command_line)
                self.assertEqual((result.exit_code, result.events), (0, [ESTABLISHED]))
                self.assertEqual(PREFIX.journal()[-1], (SW_HIDE, 'connect "Office" user "jo" pwd "secret"'))
                PREFIX.reg_add(VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 0)

    def test_missing_client(self):
        rows = [
            ("no client key", lambda: PREFIX.reg_delete(VPN_CLIENT_KEY), [NOT_FOUND, CONNECT_FAILED]),
            ("no InstallPath", lambda: PREFIX.reg_delete(VPN_CLIENT_KEY, "InstallPath"),
             [NOT_FOUND, CONNECT_FAILED]),
            ("InstallPath of 200 characters",
             lambda: PREFIX.reg_add(VPN_CLIENT_KEY, "InstallPath", "REG_SZ", "C:\\" + "x" * 197),
             [NOT_FOUND, CONNECT_FAILED]),
            ("no program in folder",
             lambda: PREFIX.reg_add(VPN_CLIENT_KEY, "InstallPath", "REG_SZ", "C:\\windows\\temp"),
             [CONNECT_FAILED]),
        ]
        for name, break_client, messages in rows:
            with self.subTest(name):
                self.setUp()
                break_client()
                result = self.run_connector(f'"Office" -u "jo" -p "secret" -l {LOG}')
                self.assertEqual((result.exit_code, result.events), (1, messages))
                self.assertEqual(self.log_lines(), messages)
                self.assertEqual(PREFIX.journal(), [])

    def test_install_path_forms(self):
        # 199 characters without a final backslash: the connector still finds the client.
        deep = "C:\\" + "\\".join(["d" * 48] * 4)
        deep = deep + "x" * (199 - len(deep))
        self.assertEqual(len(deep), 199)
        rows = [("without backslash", SIM_FOLDER), ("with backslash", SIM_FOLDER + "\\"),
                ("199 characters", deep)]
        for name, folder in rows:
            with self.subTest(name):
                self.setUp()
                if folder == deep:
                    target = PREFIX.unix_path(deep)
                    shutil.rmtree(target, ignore_errors=True)
                    os.makedirs(target)
                    shutil.copy(os.path.join(PREFIX.sim_dir, "vpnclient.exe"), target)
                PREFIX.reg_add(VPN_CLIENT_KEY, "InstallPath", "REG_SZ", folder)
                PREFIX.reg_add(VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 1)
                result = self.run_connector('"Office" -u "jo" -p "secret"')
                self.assertEqual((result.exit_code, result.events), (0, []))
                journal_dir = PREFIX.unix_path(folder)
                with open(os.path.join(journal_dir, "journal.txt"), "rb") as f:
                    self.assertEqual(f.read(), b"show=0 params=stat\r\n")
                os.remove(os.path.join(journal_dir, "journal.txt"))

    def test_log_line_bytes(self):
        before = time.time()
        self.run_connector(f'"Office" -u "jo" -p "secret" -l {LOG}')
        after = time.time()
        with open(self.log_path, "rb") as f:
            data = f.read()
        match = re.fullmatch((STAMP + r": VPN connection established\.\r\n").encode(), data)
        self.assertIsNotNone(match, data)
        stamp = time.mktime(time.strptime(data[:24].decode(), "%a %b %d %H:%M:%S %Y"))
        self.assertTrue(int(before) - 1 <= stamp <= after + 1, (before, stamp, after))

    def test_rejection_reaches_log_file_only_after_its_option(self):
        before = self.run_connector(f"Office Other -l {LOG}")
        self.assertEqual(before.events, [BAD_ARGS])
        self.assertIsNone(self.log_lines())
        after = self.run_connector(f"-l {LOG} Office Other")
        self.assertEqual(after.events, [BAD_ARGS])
        self.assertEqual(self.log_lines(), [BAD_ARGS])

    def test_log_file_in_missing_folder_leaves_no_trace(self):
        result = self.run_connector(r'"Office" -u "jo" -l C:\no-such-folder\x.log')
        self.assertEqual((result.exit_code, result.events), (1, [NO_PASSWORD]))
        self.assertFalse(os.path.exists(PREFIX.unix_path(r"C:\no-such-folder")))

    def test_event_fields_and_message_table(self):
        pe = pefile.PE(os.path.join(BUILD, "connector", "Ferrolink.exe"))
        self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
        imports = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
        self.assertFalse(any(dll.startswith(("libstdc++", "libgcc", "libwinpthread")) for dll in imports), imports)
        tables = [(t, n, lang) for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for n in t.directory.entries
                  for lang in n.directory.entries]
        self.assertEqual([(t.id, n.id, lang.id) for t, n, lang in tables], [(11, 1, 1033)])
        entry = tables[0][2].data.struct
        data = pe.get_data(entry.OffsetToData, entry.Size)
        self.assertEqual(data, bytes.fromhex("01000000 00000040 00000040 10000000 0c00 0000")
                         + b"%1\r\n\0\0\0\0")


if __name__ == "__main__":
    unittest.main()
