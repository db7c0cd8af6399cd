#!/usr/bin/env python3
"""End-to-end tests of FerrolinkConfig_WIN.exe's OK: the whole loop from a click in the real
dialog to the tunnel coming up (dialog, the credentials dialog, the stored work item read back
through the Task Scheduler, its command line started as the scheduler starts it, the connector,
the simulated client), a second apply, each message of the apply and delete flows with its
answer, and their screenshots. The fixture is e2e_support's."""
import getpass
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F401,F403
from e2e_support import ConfigProgramCase, winelab  # noqa: E402

ACCOUNT_PASSWORD, ACCOUNT_USER = 1015, 1016
IDYES, IDNO = 6, 7
CONNECTOR = winelab.CONNECTOR_FOLDER + r"\Ferrolink.exe"
NO_PROFILE = "No profile seleced.\n\nSelect a profile and try again."
EMPTY_CREDENTIALS = ("No profile username and/or password set. Do you want to continue?\n\nClick Yes to "
                     "continue with empty profile username and/or password, or click No to enter new "
                     "profile credentials.")
QUOTE_REFUSED = ('The profile username and password must not contain a double quote (").\n\n'
                 "Enter them without double quotes.")
CONFIRM_DELETE = ("Do you really want to delete the task?\n\nClick Yes to delete the task or No to leave "
                  "the task active.")
DELETE_FAILED = "Failed to delete the task."
START_SCHEDULER = ("Task Scheduler is not running! Do you want to start the Task Scheduler?\n\nClick Yes "
                   "to start the Task Scheduler or No to leave it turned off.")
NOT_STARTED = ("Unable to start the Task Scheduler service. The task will not be executing until the "
               "service will be started.")
SERVICE_PROBE = os.path.join(BUILD, "tests", "scheduler_service_probe.exe")
# Every field of the work item's trigger, in the order of the record.
DAILY_TRIGGER = {"cbTriggerSize": "48", "Reserved1": "0", "wBeginYear": "2000", "wBeginMonth": "1",
                 "wBeginDay": "1", "wEndYear": "0", "wEndMonth": "0", "wEndDay": "0", "wStartHour": "0",
                 "wStartMinute": "0", "MinutesDuration": "1440", "MinutesInterval": "5", "rgFlags": "0",
                 "TriggerType": "1", "DaysInterval": "1", "Reserved2": "0", "wRandomMinutesInterval": "0"}
APPLY = [f"select:{PROFILE_LIST}:Office", f"settext:{USER_EDIT}:jo", f"settext:{PASSWORD_EDIT}:s3cret",
         f"select:{INTERVAL_LIST}:5 minutes", f"press:main:{IDOK}"]


class ApplyFlowTest(ConfigProgramCase):
    def task(self):
        return Observed(self.lab.wine([self.lab.unix_path(DRIVER), "task", "show"]).stdout)

    def settings(self):
        values = winelab.reg_values(self.lab, SETTINGS_KEY) or {}
        return {name: values[name][1] for name in
                ("Profile", "Interval", "ProfileUsername", "ProfilePassword", "TriggerID") if name in values}

    @staticmethod
    def buttons(dump):
        """The ids of the buttons in one dump of the popup."""
        return sorted(int(k.split(".")[1]) for k, v in dump if k.endswith(".class") and v == "Button")

    def test_ok_creates_the_task_whose_command_line_brings_the_tunnel_up(self):
        self.prepare(settings={"InstallPath": winelab.CONNECTOR_FOLDER})
        # The profile expects these credentials: a connect with any others ends with 14.
        with open(os.path.join(self.lab.sim_dir, "profiles", "Office.pcf"), "w", newline="\r\n") as f:
            f.write("[main]\nUsername=jo\nPassword=s3cret\n")
        for run in (1, 2):
            steps = ["main", *APPLY, "popup", "dump:popup", "focus"]
            if run == 1:
                steps.append(self.shot("popup", "credentials-dialog"))
            out = self.drive(*steps, f"popuptext:{ACCOUNT_PASSWORD}:windows-pw", f"press:popup:{IDOK}", "exit")
            with self.subTest(run=run):
                self.assertEqual(out["popup.title"], "Windows login credentials")
                self.assertEqual(out.control("popup", ACCOUNT_USER, "text"), getpass.getuser())
                self.assertEqual(out.control("popup", ACCOUNT_PASSWORD, "text"), "")
                self.assertEqual(out["focus.id"], str(ACCOUNT_PASSWORD))
                self.assertEqual(out["exit"], "0")
                task = self.task()
                self.assertEqual(task["task.application"], CONNECTOR)
                self.assertEqual(task["task.parameters"], '"Office" -u "jo" -p "s3cret"')
                # Wine keeps no account for a work item; Windows would give the one entered.
                self.assertEqual(task["task.account.hr"], "0x80070002")
                # The second apply replaced the trigger rather than adding one.
                self.assertEqual(task["task.triggers"], "1")
                self.assertEqual({k: task[f"trigger.0.{k}"] for k in DAILY_TRIGGER}, DAILY_TRIGGER)
                self.assertEqual(self.settings(), {"Profile": "Office", "Interval": "0x5",
                                                   "ProfileUsername": "jo", "ProfilePassword": "s3cret",
                                                   "TriggerID": "0x0"})
            if run == 1:
                self.save_shots(out)
        # Started as Windows' scheduler starts it: the quoted program, a blank, the parameters.
        self.lab.install_connector()
        self.lab.clear_journal()
        result = self.lab.launch(f'"{task["task.application"]}" {task["task.parameters"]}')
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(result.events, ["VPN connection established."])
        self.assertEqual(self.lab.tunnel_flag(), 1)
        self.assertEqual([p for _, p in self.lab.journal()],
                         ["stat", 'connect "Office" user "jo" pwd "s3cret"'])

    def test_entries_refused_or_declined_keep_the_dialog_open_with_nothing_saved(self):
        cases = (("no profile", [f"press:main:{IDOK}"], "Warning", NO_PROFILE, [IDOK], IDOK, "no-profile"),
                 ("empty password, No", [f"select:{PROFILE_LIST}:Office", f"settext:{USER_EDIT}:jo",
                                         f"press:main:{IDOK}"],
                  "Warning", EMPTY_CREDENTIALS, [IDYES, IDNO], IDNO, "empty-profile-credentials"),
                 ("double quote", [f"select:{PROFILE_LIST}:Office", f"settext:{USER_EDIT}:jo",
                                   f'settext:{PASSWORD_EDIT}:pw" -l "C:\\anywhere.log', f"press:main:{IDOK}"],
                  "Warning", QUOTE_REFUSED, [IDOK], IDOK, "double-quote-refused"))
        for what, steps, caption, text, buttons, answer, shot in cases:
            with self.subTest(what):
                self.prepare()
                out = self.drive("main", *steps, "popup", "dump:popup", self.shot("popup", shot),
                                 f"press:popup:{answer}", "gone", "windows", f"press:main:{IDCANCEL}", "exit")
                self.assertEqual((out["popup.title"], out["popup.text"]), (caption, text))
                self.assertEqual(self.buttons(out.dumps("popup")[0]), buttons)
                self.assertEqual(out["windows"], "1", "the main dialog stays open")
                self.assertEqual(winelab.reg_values(self.lab, SETTINGS_KEY), None)
                self.assertEqual(self.job_files(), [])
                self.save_shots(out)

    def test_credentials_dialog_cancelled_keeps_the_dialog_open_and_asks_again(self):
        self.prepare()
        out = self.drive("main", *APPLY, "popup", f"press:popup:{IDCANCEL}", "gone", "windows",
                         f"press:main:{IDOK}", "popup", f"press:popup:{IDCANCEL}", "gone",
                         f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out.all("popup.title"), ["Windows login credentials"] * 2)
        self.assertEqual(out["windows"], "1")
        self.assertEqual(self.settings(), {"Profile": "Office", "Interval": "0x5", "ProfileUsername": "jo",
                                           "ProfilePassword": "s3cret"})
        self.assertEqual(self.job_files(), [])

    def test_disable_checks_deletes_the_task_after_confirmation(self):
        stored = {"Profile": "Office", "Interval": "0x6", "ProfileUsername": "jo", "ProfilePassword": "s3cret"}
        for what, task, answer, shot, deleted, saved in (
                ("Yes", True, IDYES, "confirm-delete", True, True),
                ("No", True, IDNO, None, False, False),
                ("Yes without a task", False, IDYES, "delete-failed", True, True)):
            with self.subTest(what):
                self.prepare(settings=dict(STORED, Profile=""), task=task)
                steps = ["main", f"select:{INTERVAL_LIST}:disable checks", f"settext:{USER_EDIT}:changed",
                         f"press:main:{IDOK}", "popup", "dump:popup"]
                if shot == "confirm-delete":
                    steps.append(self.shot("popup", shot))
                steps += [f"press:popup:{answer}", "gone"]
                if not task:
                    steps += ["popup", "dump:popup", self.shot("popup", shot), f"press:popup:{IDOK}", "gone"]
                out = self.drive(*steps, "exit")
                # Each popup's title is printed when it is found and again by its dump.
                titles = out.all("popup.title")[::2]
                # An empty profile asks no 104: the confirmation comes at once.
                self.assertEqual((titles[0], out.all("popup.text")[0]),
                                 ("Confirmation", CONFIRM_DELETE))
                self.assertEqual(self.buttons(out.dumps("popup")[0]), [IDYES, IDNO])
                if not task:
                    self.assertEqual((titles[1], out.all("popup.text")[1]),
                                     ("Error", DELETE_FAILED))
                self.assertEqual(out["exit"], "0", "the dialog closes whatever the answer")
                self.assertEqual(self.job_files() == [], deleted)
                # The interval saved is the number chosen before "disable checks".
                self.assertEqual(self.settings(), dict(stored, Profile="",
                                                       ProfileUsername="changed" if saved else "jo"))
                self.save_shots(out)

    def service(self, action):
        result = self.lab.wine([SERVICE_PROBE, action])
        self.assertIn("error=0", result.stdout, result.stdout + result.stderr[-2000:])

    def restart_session(self):
        self.lab.stop_server()
        self.lab.start_server()

    def test_scheduler_that_cannot_be_started_is_reported_and_nothing_breaks(self):
        # Wine's service "Schedule" is stopped in a new session; disabled, it refuses to start,
        # and the Task Scheduler object cannot be made at all.
        self.prepare(settings={"InstallPath": winelab.CONNECTOR_FOLDER})
        self.service("disable")
        try:
            self.restart_session()
            out = self.drive("main", "dump:main", *APPLY, "popup", f"popuptext:{ACCOUNT_PASSWORD}:windows-pw",
                             f"press:popup:{IDOK}", "gone", "popup", "dump:popup",
                             self.shot("popup", "start-scheduler"), f"press:popup:{IDYES}", "gone", "popup",
                             "dump:popup", self.shot("popup", "scheduler-not-started"), f"press:popup:{IDOK}",
                             "exit")
        finally:
            self.service("enable")
            self.restart_session()
        self.assertEqual(out.control("main", TASK_TEXT, "text"), "no task")
        # Titles: the credentials dialog's, then each box's when found and again in its dump.
        titles, texts = out.all("popup.title"), out.all("popup.text")
        self.assertEqual(titles[0], "Windows login credentials")
        self.assertEqual((titles[1], texts[-2]), ("Warning", START_SCHEDULER))
        self.assertEqual((titles[3], texts[-1]), ("Error", NOT_STARTED))
        # Without a scheduler object no work item is made; the settings are saved all the same.
        self.assertEqual(out["exit"], "0")
        self.assertEqual(self.job_files(), [])
        self.assertEqual(self.settings()["Profile"], "Office")
        self.save_shots(out)


if __name__ == "__main__":
    unittest.main()
