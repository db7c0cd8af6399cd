#!/usr/bin/env python3
"""End-to-end tests of FerrolinkConfig_WIN.exe's "&Test configuration": the test dialog's states
seen from outside while the simulated VPN client connects (scripted per case), the client's
runs as its journal recorded them, the refusal of a double quote, closing early, and that the
test saves nothing. The fixture is e2e_support's."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F401,F403
from e2e_support import ConfigProgramCase, winelab  # noqa: E402

TEST_BUTTON = 1017
STATUS_TEXT, FAILED_ICON, WAITING_ICON, SUCCEEDED_ICON = 1023, 1024, 1025, 1026
ICONS = (FAILED_ICON, WAITING_ICON, SUCCEEDED_ICON)
TITLE = "Testing the VPN Client settings"
WAITING = "Wait please ..."
SUCCEEDED = "VPN Tunnel successfuly established.\n(VPN Tunnel will be disconnected)"
QUOTE_REFUSED = ('The profile username and password must not contain a double quote (").\n\n'
                 "Enter them without double quotes.")
JOURNAL = winelab.SIM_FOLDER + r"\journal.txt"
HIDDEN = "0"  # SW_HIDE, the show state each run of the client must get
CONNECT = 'connect "Office" user "operator" pwd "s3cret"'


def failed(name):
    return f"Error establishing VPN Tunnel ({name})."


class TestDialogTest(ConfigProgramCase):
    def setUp(self):
        # The stored settings that the main dialog shows; the tests change the user name in the
        # dialog, so that the client's parameters prove that the shown values are used.
        self.prepare(settings=STORED, task=True)
        self.lab.clear_journal()

    def tearDown(self):
        self.lab.script_sim("")
        self.lab.clear_journal()
        super().tearDown()

    def state(self, dump):
        """(status text, the visible icons, OK enabled) of one dump of the test dialog."""
        values = dict(dump)
        return (values[f"popup.{STATUS_TEXT}.text"],
                [i for i in ICONS if values[f"popup.{i}.visible"] == "1"],
                values[f"popup.{IDOK}.enabled"] == "1")

    def wait_journal(self, runs, seconds=10):
        """The client's runs once it has recorded `runs` of them, or after `seconds`."""
        deadline = time.monotonic() + seconds
        while len(self.lab.journal()) < runs and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.lab.journal()

    def test_success_waits_then_shows_success_and_disconnects_once_after_ok(self):
        self.lab.script_sim("connect delay=3000\n")
        before = winelab.reg_values(self.lab, SETTINGS_KEY)
        out = self.drive("main", f"settext:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}",
                         "popup", "dump:popup", "windows", self.shot("popup", "test-waiting"),
                         f"waitenabled:popup:{IDOK}", "dump:popup", self.shot("popup", "test-succeeded"),
                         f"waitlines:2:{JOURNAL}", f"press:popup:{IDOK}", "gone",
                         f"waitlines:2:{JOURNAL}", "dump:main", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["popup.title"], TITLE)
        self.assertEqual(out["windows"], "2")
        waiting, succeeded = out.dumps("popup")
        self.assertEqual(self.state(waiting), (WAITING, [WAITING_ICON], False))
        self.assertEqual(self.state(succeeded), (SUCCEEDED, [SUCCEEDED_ICON], True))
        # Before OK the client had run once; OK brought exactly one hidden disconnect.
        self.assertEqual(out.all("waitlines"), ["1", "2"])
        self.assertEqual(self.wait_journal(3, seconds=2), [(HIDDEN, CONNECT), (HIDDEN, "disconnect")])
        self.assertEqual(self.lab.tunnel_flag(), 0)
        # The test saved nothing: the settings key and the work item are as they were.
        self.assertEqual(out["exit"], "0")
        self.assertEqual(winelab.reg_values(self.lab, SETTINGS_KEY), before)
        self.assertEqual(len(self.job_files()), 1)
        self.save_shots(out)

    def test_failure_names_the_exit_code_and_does_not_disconnect(self):
        # 259 is the code of a running process: a client that ends with it must still end the wait.
        for code, name in ((14, "ERR_START_FAILED"), (77, "ERROR"), (259, "ERROR")):
            with self.subTest(code=code):
                self.lab.clear_journal()
                self.lab.script_sim(f"connect exit={code} delay=500\n")
                steps = ["main", f"settext:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}", "popup",
                         f"waitenabled:popup:{IDOK}", "dump:popup"]
                if code == 14:
                    steps.append(self.shot("popup", "test-failed"))
                out = self.drive(*steps, f"press:popup:{IDOK}", "gone", "sleep:1000",
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(self.state(out.dumps("popup")[0]), (failed(name), [FAILED_ICON], True))
                self.assertEqual(self.lab.journal(), [(HIDDEN, CONNECT)])
                if code == 14:
                    self.save_shots(out)

    def test_missing_client_program_opens_the_dialog_failed(self):
        program = os.path.join(self.lab.sim_dir, "vpnclient.exe")
        os.rename(program, program + ".away")
        try:
            out = self.drive("main", f"press:main:{TEST_BUTTON}", "popup", "dump:popup", "windows",
                             f"press:popup:{IDOK}", "gone", f"press:main:{IDCANCEL}", "exit")
        finally:
            os.rename(program + ".away", program)
        self.assertEqual(self.state(out.dumps("popup")[0]), (failed("ERROR"), [FAILED_ICON], True))
        # No error box of the shell beside the test dialog.
        self.assertEqual(out["windows"], "2")
        self.assertEqual(self.lab.journal(), [])

    def test_client_key_or_install_path_gone_after_start_up_opens_nothing(self):
        for value in ([], ["InstallPath"]):
            with self.subTest(value=value):
                out = self.drive("main", ":".join(["regdelete", winelab.VPN_CLIENT_KEY[5:], *value]),
                                 f"press:main:{TEST_BUTTON}", "sleep:1500", "windows",
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(out["regdelete"], "0")
                self.assertEqual(out["windows"], "1")
                self.assertEqual(self.lab.journal(), [])
                self.prepare(settings=STORED, task=True)

    def test_empty_user_name_and_password_give_the_profile_alone(self):
        out = self.drive("main", f"settext:{USER_EDIT}:", f"settext:{PASSWORD_EDIT}:",
                         f"press:main:{TEST_BUTTON}", "popup", f"waitenabled:popup:{IDOK}",
                         f"press:popup:{IDOK}", "gone", f"waitlines:2:{JOURNAL}",
                         f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["waitenabled"], "1")
        self.assertEqual(self.lab.journal(), [(HIDDEN, 'connect "Office"'), (HIDDEN, "disconnect")])

    def test_double_quote_in_user_name_or_password_is_refused(self):
        for control, text in ((USER_EDIT, 'op"erator'), (PASSWORD_EDIT, 'pass" -x "')):
            with self.subTest(text=text):
                out = self.drive("main", f"settext:{control}:{text}", f"press:main:{TEST_BUTTON}", "popup",
                                 "windows", f"press:popup:{IDOK}", "gone", "sleep:500", "windows",
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual((out["popup.title"], out["popup.text"]), ("Warning", QUOTE_REFUSED))
                self.assertEqual(out.all("windows"), ["2", "1"])
                self.assertEqual(self.lab.journal(), [])

    def test_closing_while_waiting_still_disconnects_a_later_success(self):
        # Esc and the close box end the dialog before the result; the main dialog goes on
        # polling and disconnects after a success only.
        for close, code, runs in (("esc", 200, [(HIDDEN, CONNECT), (HIDDEN, "disconnect")]),
                                  ("sysclose", 200, [(HIDDEN, CONNECT), (HIDDEN, "disconnect")]),
                                  ("esc", 14, [(HIDDEN, CONNECT)])):
            with self.subTest(close=close, code=code):
                self.lab.clear_journal()
                self.lab.reg_add(winelab.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 0)
                self.lab.script_sim(f"connect exit={code} delay=2500" + (" tunnel=keep" if code != 200 else "") + "\n")
                # A disconnect would follow the connect's end (2.5 s) within a tick.
                wait = f"waitlines:2:{JOURNAL}" if code == 200 else "sleep:4000"
                out = self.drive("main", f"settext:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}",
                                 "popup", f"{close}:popup", "gone", "windows", wait,
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(out["windows"], "1")
                self.assertEqual(self.lab.journal(), runs)
                self.assertEqual(self.lab.tunnel_flag(), 0)

    def test_second_click_while_the_run_goes_on_shows_it_again(self):
        self.lab.script_sim("connect delay=3000\n")
        out = self.drive("main", f"settext:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}", "popup",
                         "esc:popup", "gone", f"press:main:{TEST_BUTTON}", "popup", "dump:popup",
                         f"waitenabled:popup:{IDOK}", "dump:popup", f"press:popup:{IDOK}", "gone",
                         f"waitlines:2:{JOURNAL}", f"press:main:{IDCANCEL}", "exit")
        waiting, succeeded = out.dumps("popup")
        self.assertEqual(self.state(waiting), (WAITING, [WAITING_ICON], False))
        self.assertEqual(self.state(succeeded), (SUCCEEDED, [SUCCEEDED_ICON], True))
        self.assertEqual(self.lab.journal(), [(HIDDEN, CONNECT), (HIDDEN, "disconnect")])

    def test_closing_the_program_while_the_run_goes_on_waits_for_it_and_disconnects(self):
        self.lab.script_sim("connect delay=3000\n")
        out = self.drive("main", f"settext:{USER_EDIT}:operator", f"press:main:{TEST_BUTTON}", "popup",
                         "esc:popup", "gone", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["exit"], "0")
        self.assertEqual(self.wait_journal(2), [(HIDDEN, CONNECT), (HIDDEN, "disconnect")])
        self.assertEqual(self.lab.tunnel_flag(), 0)


if __name__ == "__main__":
    unittest.main()
