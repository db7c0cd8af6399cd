#!/usr/bin/env python3
"""FerrolinkConfig_WIN.exe's "&Test configuration" end to end, against the simulated VPN client
scripted per case: the test dialog's states, the client's runs as its journal recorded them,
closing early, and that the test saves nothing."""
import os, sys, unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F403,F405

STATUS_TEXT = IDS["IDC_TEST_STATUS_TEXT"]
FAILED_ICON, WAITING_ICON, SUCCEEDED_ICON = (IDS[f"IDC_TEST_{n}_ICON"]
                                             for n in ("FAILED", "WAITING", "SUCCEEDED"))
ICONS = (FAILED_ICON, WAITING_ICON, SUCCEEDED_ICON)
WAITING = ("Wait please ...", [WAITING_ICON], False)
SUCCEEDED = ("VPN Tunnel successfuly established.\n(VPN Tunnel will be disconnected)",
             [SUCCEEDED_ICON], True)
JOURNAL = simclient.SIM_FOLDER + r"\journal.txt"
# Each run shown hidden (SW_HIDE).
CONNECT, DISCONNECT = ("0", 'connect "Office" user "operator" pwd "s3cret"'), ("0", "disconnect")
START = ["main", f"settext:main:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}", "popup"]


def failed(name):
    return (f"Error establishing VPN Tunnel ({name}).", [FAILED_ICON], True)


def state(dump):
    """(status text, the visible icons, OK enabled) of one dump of the test dialog."""
    dump = dict(dump)
    return (dump[f"popup.{STATUS_TEXT}.text"],
            [i for i in ICONS if dump[f"popup.{i}.visible"] == "1"],
            dump[f"popup.{IDOK}.enabled"] == "1")


class TestDialogTest(ConfigProgramCase):
    def setUp(self):
        # The dialog's user name is changed before each test, so that the client's parameters
        # prove that the shown values are used.
        self.prepare(settings=STORED, task=True)
        simclient.clear_journal(self.lab)
        self.addCleanup(simclient.script, self.lab, "")

    def wait_journal(self, runs, seconds=10):
        wait_until(lambda: len(simclient.journal(self.lab)) >= runs, seconds)
        return simclient.journal(self.lab)

    def test_success_waits_then_shows_success_and_disconnects_once_after_ok(self):
        simclient.script(self.lab, "connect delay=3000\n")
        before = self.lab.reg_values(SETTINGS_KEY)
        out = self.drive(*START, "dump:popup", "windows", self.shot("popup", "test-waiting"),
                         f"waitenabled:popup:{IDOK}", "dump:popup",
                         self.shot("popup", "test-succeeded"), f"waitlines:2:{JOURNAL}",
                         f"press:popup:{IDOK}", "gone", f"waitlines:2:{JOURNAL}",
                         f"press:main:{IDCANCEL}", "exit")
        self.assertEqual((out["popup.title"], out["windows"], out["exit"]),
                         ("Testing the VPN Client settings", "2", "0"))
        self.assertEqual([state(d) for d in out.dumps("popup")], [WAITING, SUCCEEDED])
        # Before OK the client had run once; OK brought exactly one hidden disconnect.
        self.assertEqual(out.all("waitlines"), ["1", "2"])
        self.assertEqual((self.wait_journal(3, seconds=2), simclient.tunnel_flag(self.lab)),
                         ([CONNECT, DISCONNECT], 0))
        self.assertEqual((self.lab.reg_values(SETTINGS_KEY), len(self.lab.job_files())),
                         (before, 1))
        save_shots(self.lab, out)

    def test_a_failed_run_names_its_exit_code_and_is_not_disconnected(self):
        # 259 is the code of a running process: a client that ends with it must still end the
        # wait. A client program that is not there fails at once, without a box of the shell.
        program = os.path.join(simclient.unix_folder(self.lab), "vpnclient.exe")
        for what, script, expected, runs in (
                ("14", "connect exit=14 delay=500", failed("ERR_START_FAILED"), [CONNECT]),
                ("259", "connect exit=259 delay=500", failed("ERROR"), [CONNECT]),
                ("no program", None, failed("ERROR"), [])):
            with self.subTest(what):
                simclient.clear_journal(self.lab)
                simclient.script(self.lab, script or "")
                if script is None:
                    os.rename(program, program + ".away")
                    self.addCleanup(os.rename, program + ".away", program)
                shot = [self.shot("popup", "test-failed")] if what == "14" else []
                # No event tells that no disconnect comes: a bounded wait after OK.
                out = self.drive(*START, f"waitenabled:popup:{IDOK}", "dump:popup", "windows",
                                 *shot, f"press:popup:{IDOK}", "gone", "sleep:1000",
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual((state(out.dumps("popup")[0]), out["windows"],
                                  simclient.journal(self.lab)),
                                 (expected, "2", runs))
                save_shots(self.lab, out)

    def test_what_cannot_be_tested_opens_nothing(self):
        # A double quote in the user name or password (its box's text is the in-process tests'),
        # then the client's InstallPath and then its key gone after start-up: no run, no test
        # dialog. Nothing shows that none opens, hence the bounded wait.
        key = simclient.VPN_CLIENT_KEY[5:]
        test = f"press:main:{TEST_BUTTON}"
        out = self.drive("main", f'settext:main:{PASSWORD_EDIT}:pass" -x "', test, "popup",
                         f"press:popup:{IDOK}", "gone", f"settext:main:{PASSWORD_EDIT}:s3cret",
                         f"regdeletevalue:{key}:InstallPath", test, f"regdeletekey:{key}", test,
                         "sleep:1000", "windows", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual((out.all("popup.title"), out["windows"], simclient.journal(self.lab)),
                         (["Warning"], "1", []))

    def test_closing_early_still_disconnects_a_later_success(self):
        # Esc (or the close box: Windows turns both into Cancel) ends the dialog before the
        # result; the main dialog goes on polling and disconnects after a success only. A second
        # click shows the run again; closing the program waits for the run. No event shows that
        # no disconnect follows a failure: a bounded wait past the client's end.
        for code, steps in ((200, [f"waitlines:2:{JOURNAL}"]), (14, ["sleep:4000"]),
                            (200, [f"press:main:{TEST_BUTTON}", "popup", "dump:popup",
                                   f"waitenabled:popup:{IDOK}", "dump:popup", f"press:popup:{IDOK}",
                                   "gone", f"waitlines:2:{JOURNAL}"]),
                            (200, [])):
            with self.subTest(code=code, steps=len(steps)):
                simclient.clear_journal(self.lab)
                self.lab.reg_add(simclient.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 0)
                simclient.script(self.lab, f"connect exit={code} delay=2500"
                                 + ("" if code == 200 else " tunnel=keep"))
                out = self.drive(*START, "esc:popup", "gone", "windows", *steps,
                                 f"press:main:{IDCANCEL}", "exit")
                runs = [CONNECT, DISCONNECT] if code == 200 else [CONNECT]
                self.assertEqual((out["windows"], out["exit"], self.wait_journal(len(runs)),
                                  simclient.tunnel_flag(self.lab)),
                                 ("1", "0", runs, 0))
                if len(steps) > 1:
                    self.assertEqual([state(d) for d in out.dumps("popup")], [WAITING, SUCCEEDED])


if __name__ == "__main__":
    unittest.main()
