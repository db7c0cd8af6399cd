#!/usr/bin/env python3
"""FerrolinkConfig_WIN.exe end to end: what the main dialog shows of the registry and the work
item, Cancel after edits, the About box, F1, the missing client, "Lang.dll", and one OK whose
work item's command line brings the tunnel up."""
import contextlib, os, pathlib, sys, unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F403,F405

INTERVALS = ["1 minute",
             *(f"{n} minutes" for n in (2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60)),
             "disable checks"]
CLIENT_NOT_FOUND = ("Cisco VPN Client not found.\n\nInstall the correct version of Cisco VPN "
                    "Client and execute the configuration application again.")
ACCOUNT_PASSWORD, SW_SHOW = IDS["IDC_ACCOUNT_PASSWORD_EDIT"], 5


def main_view(out):
    """What the main dialog shows, whole, in its first dump."""
    dump = dict(out.dumps("main")[0])

    def get(control, what="text"):
        return dump[f"main.{control}.{what}"]

    def items(combo):
        return [get(combo, f"item.{i}") for i in range(int(get(combo, "count")))]

    def selected(combo):
        return None if int(get(combo, "cursel")) < 0 else get(combo, f"item.{get(combo, 'cursel')}")
    return {"title": dump["main.title"], "profiles": items(PROFILE_LIST),
            "profile": (selected(PROFILE_LIST), get(PROFILE_LIST)),
            "intervals": items(INTERVAL_LIST), "interval": selected(INTERVAL_LIST),
            "user": get(USER_EDIT), "password": get(PASSWORD_EDIT), "check": get(CHECK_TEXT),
            "task": get(TASK_TEXT), "task shown": get(TASK_TEXT, "visible"),
            "delete": [get(DELETE_BUTTON, w) for w in ("enabled", "visible")],
            "password hidden": hides_typing(out, "main", PASSWORD_EDIT)}


class ConfigProgramTest(ConfigProgramCase):
    def test_start_up_shows_the_profiles_the_stored_settings_and_the_work_item(self):
        base = {"title": "Ferrolink Config", "profiles": ["a.b", "Office", "Office2", "Zeta"],
                "intervals": INTERVALS, "user": "", "password": "", "task shown": "0",
                "password hidden": True}
        rows = (("stored, task", STORED, True, PROFILES, dict(
                    profile=("Office", "Office"), interval="6 minutes", user="jo",
                    password="s3cret", check="once per 6 mins", task="Ferrolink",
                    delete=["1", "0"])),
                ("nothing stored", None, False, PROFILES, dict(
                    profile=(None, ""), interval="10 minutes", check="no checking set",
                    task="no task", delete=["0", "0"])),
                # The first item that begins with the stored name, in any case; an interval
                # that no item begins with selects 10, and 1019 shows the number selected.
                ("prefix, no item", {"Profile": "office", "Interval": 12}, True,
                 ["Zeta", "Office2", "a.b"], dict(
                    profiles=["a.b", "Office2", "Zeta"], profile=("Office2", "Office2"),
                    interval="10 minutes", check="once per 10 mins", task="Ferrolink",
                    delete=["1", "0"])),
                ("no profiles", {"Profile": "Office", "Interval": 60}, False, [], dict(
                    profiles=[], profile=(None, ""), interval="60 minutes", check="no checking set",
                    task="no task", delete=["0", "0"])))
        # Cancel after every edit, also one that OK would take as "delete", writes nothing (the
        # driver fails a step that it could not do).
        edits = [f"select:main:{PROFILE_LIST}:Zeta", f"select:main:{INTERVAL_LIST}:disable checks",
                 f"settext:main:{USER_EDIT}:x", f"settext:main:{PASSWORD_EDIT}:y"]
        for what, settings, task, profiles, expected in rows:
            with self.subTest(what):
                self.prepare(settings=settings, task=task, profiles=profiles)
                if what == "stored, task":
                    # Neither a folder nor a file whose short name alone ends in ".PCF" is a
                    # profile.
                    folder = os.path.join(simclient.unix_folder(self.lab), "profiles")
                    os.makedirs(os.path.join(folder, "Folder.pcf"))
                    pathlib.Path(folder, "Office.pcfold").write_bytes(b"")
                before = (self.lab.reg_values(SETTINGS_KEY), self.lab.job_files())
                shot, edited = (([self.shot("main", "main-dialog")], edits)
                                if what == "stored, task" else ([], []))
                out = self.drive("main", "dump:main", *shot, *edited, f"press:main:{IDCANCEL}",
                                 "exit")
                self.assertEqual(main_view(out), dict(base, **expected))
                self.assertEqual((out["exit"], self.lab.reg_values(SETTINGS_KEY),
                                  self.lab.job_files()),
                                 ("0", *before))
                save_shots(self.lab, out)

    def test_about_box_and_f1_which_opens_the_help_file_shown_from_either_dialog(self):
        # The About box returns to the dialog as it was, edits included. The help document is
        # opened through the shell with the show state SW_SHOW.
        self.prepare(settings={"HelpFile": HELP_PROBE})
        out = self.drive("main", f"settext:main:{USER_EDIT}:someone", "dump:main", "f1:main",
                         f"waitlines:1:{HELP_MARKER}", f"syscommand:main:{ABOUT_COMMAND}", "popup",
                         "dump:popup", self.shot("popup", "about-box"), "f1:popup",
                         f"waitlines:2:{HELP_MARKER}", f"press:popup:{IDOK}", "gone", "windows",
                         "dump:main", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual((out["popup.title"], out.all("waitlines"), out["windows"]),
                         ("About FerrolinkConfig_WIN", ["1", "2"], "1"))
        self.assertIn(("popup.65535.text", "FerrolinkConfig - Ver 1.0"), out.dumps("popup")[0])
        before, after = out.dumps("main")
        self.assertEqual(before, after)
        self.assertIn((f"main.{USER_EDIT}.text", "someone"), after)
        with open(self.lab.unix_path(HELP_MARKER), "rb") as f:
            runs = [line.split(" ", 1) for line in f.read().decode("latin-1").splitlines()]
        self.assertEqual([(show, "help_probe.exe" in command_line) for show, command_line in runs],
                         [(f"show={SW_SHOW}", True)] * 2)
        save_shots(self.lab, out)
        # Without "HelpFile" F1 has nothing to open; no event says so, hence the bounded wait.
        self.prepare(settings=STORED)
        out = self.drive("main", "f1:main", "sleep:2000", "windows", f"press:main:{IDCANCEL}",
                         "exit")
        self.assertEqual((os.path.exists(self.lab.unix_path(HELP_MARKER)), out["windows"],
                          out["exit"]),
                         (False, "1", "0"))

    def test_missing_client_shows_an_error_and_ends_with_1_in_the_texts_of_lang_dll_beside_it(self):
        # How a library's resources stand in for the program's is the dialog layer's; here the
        # program must load it from its own folder, as data, before it shows anything. One in
        # the folder the program is started from or on PATH, which other users may write to,
        # is never looked at. The program runs with the error mode that keeps every error box of
        # Windows away (Wine shows only that it is set: it neither honours nor passes it on).
        german = ("Fehler", "Cisco VPN Client nicht gefunden. Pr\u00fcfen Sie die Installation.")
        english = ("Error", CLIENT_NOT_FOUND)
        mark = self.lab.unix_path(LANG_CODE_MARK)
        working_folder = self.lab.unix_path(LANG_FOLDERS["working folder"])
        os.makedirs(working_folder, exist_ok=True)
        with mock.patch.dict(os.environ, WINEPATH=LANG_FOLDERS["PATH"]), \
                contextlib.chdir(working_folder):
            for client, lang, box in (("no key", None, english), ("no InstallPath", None, english),
                                      ("no key", "beside", german),
                                      ("no key", "working folder", english),
                                      ("no key", "PATH", english)):
                with self.subTest(client=client, lang=lang):
                    self.prepare(settings=STORED, client=client, lang=lang)
                    pathlib.Path(mark).unlink(missing_ok=True)
                    shot = ([self.shot("popup", "client-not-found")]
                            if client == "no key" and not lang else [])
                    out = self.drive("popup", "windows", *shot, f"press:popup:{IDOK}", "exit",
                                     debug="-all,+relay" if lang == "beside" else "-all")
                    # One window: the main dialog must not show.
                    self.assertEqual((out["popup.title"], out["popup.text"], out["windows"],
                                      out["exit"], os.path.exists(mark)),
                                     (*box, "1", "1", False))
                    if lang == "beside":
                        self.assertEqual(winelab.error_modes(out.stderr), [0x8003])
                    save_shots(self.lab, out)

    def test_the_boxes_of_ok_in_one_session(self):
        # The boxes as the administrator meets them, each answered so that the dialog stays or
        # goes on: no profile, empty credentials, a double quote, and "disable checks"
        # without a work item (Yes, then the failure). Their texts and every other answer are
        # the in-process tests'; here the real program shows them and the pictures are taken.
        self.prepare()
        steps, captions = ["main"], []
        for before, caption, shot, answer in (
                ([], "Warning", "no-profile", IDOK),
                ([f"select:main:{PROFILE_LIST}:Office"], "Warning", "empty-profile-credentials",
                 IDOK),
                ([f"settext:main:{USER_EDIT}:jo", f'settext:main:{PASSWORD_EDIT}:pw"'], "Warning",
                 "double-quote-refused", IDOK),
                ([f"settext:main:{PASSWORD_EDIT}:pw",
                  f"select:main:{INTERVAL_LIST}:disable checks"],
                 "Confirmation", "confirm-delete", IDYES),
                (None, "Error", "delete-failed", IDOK)):
            steps += ([] if before is None else [*before, f"press:main:{IDOK}"]) + [
                "popup", self.shot("popup", shot), f"press:popup:{answer}", "gone"]
            captions.append(caption)
        out = self.drive(*steps, "exit")
        self.assertEqual((out.all("popup.title"), out["exit"]), (captions, "0"))
        save_shots(self.lab, out)

    def test_a_scheduler_that_cannot_be_started_is_asked_about_and_reported(self):
        # Wine's service "Schedule" is stopped in a new session; disabled, it refuses to start
        # and no Task Scheduler object can be made: the real question and the real failure.
        self.prepare(settings={"InstallPath": winelab.CONNECTOR_FOLDER})
        probe = os.path.join(BUILD, "tests", "scheduler_service_probe.exe")
        self.assertIn("error=0", self.lab.wine([probe, "disable"]).stdout)
        try:
            self.lab.stop_server()
            self.lab.start_server()
            out = self.drive("main", f"select:main:{PROFILE_LIST}:Office",
                             f"settext:main:{USER_EDIT}:jo", f"settext:main:{PASSWORD_EDIT}:pw",
                             f"press:main:{IDOK}", "popup", f"press:popup:{IDOK}", "gone", "popup",
                             self.shot("popup", "start-scheduler"), f"press:popup:{IDYES}", "gone",
                             "popup", self.shot("popup", "scheduler-not-started"),
                             f"press:popup:{IDOK}", "exit")
        finally:
            self.assertIn("error=0", self.lab.wine([probe, "enable"]).stdout)
            self.lab.stop_server()
            self.lab.start_server()
        # After the credentials dialog: the question and the failure, whose texts the in-process
        # tests hold whole.
        self.assertEqual((out.all("popup.title")[1:], out["exit"], self.lab.job_files()),
                         (["Warning", "Error"], "0", []))
        save_shots(self.lab, out)

    def test_ok_creates_the_work_item_whose_command_line_brings_the_tunnel_up(self):
        self.prepare(settings={"InstallPath": winelab.CONNECTOR_FOLDER})
        # The profile expects these credentials: a connect with any others ends with 14.
        simclient.write_profiles(self.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})
        trigger = dict(field.split("=") for field in """cbTriggerSize=48 Reserved1=0
            wBeginYear=2000 wBeginMonth=1 wBeginDay=1 wEndYear=0 wEndMonth=0 wEndDay=0 wStartHour=0
            wStartMinute=0 MinutesDuration=1440 MinutesInterval=5 rgFlags=0 TriggerType=1
            DaysInterval=1 Reserved2=0 wRandomMinutesInterval=0""".split())
        for run in (1, 2):  # the second OK replaces the trigger rather than adding one
            shot = [self.shot("popup", "credentials-dialog")] if run == 1 else []
            out = self.drive("main", f"select:main:{PROFILE_LIST}:Office",
                             f"settext:main:{USER_EDIT}:jo", f"settext:main:{PASSWORD_EDIT}:s3cret",
                             f"select:main:{INTERVAL_LIST}:5 minutes", f"press:main:{IDOK}",
                             "popup", "dump:popup", *shot,
                             f"settext:popup:{ACCOUNT_PASSWORD}:windows-pw", f"press:popup:{IDOK}",
                             "exit")
            with self.subTest(run=run):
                self.assertEqual((out["popup.title"], hides_typing(out, "popup", ACCOUNT_PASSWORD),
                                  out["exit"]),
                                 ("Windows login credentials", True, "0"))
                task = drive(self, self.lab, "task", "show")
                # A run stuck behind the client is ended after 5 minutes.
                self.assertEqual((task["task.application"], task["task.parameters"],
                                  task["task.triggers"], task["task.maxruntime"]),
                                 (winelab.CONNECTOR_FOLDER + r"\Ferrolink.exe",
                                  '"Office" -u "jo" -p "s3cret"', "1", "300000"))
                self.assertEqual({k: task[f"trigger.0.{k}"] for k in trigger}, trigger)
                values = self.lab.reg_values(SETTINGS_KEY)
                self.assertEqual({k: v for k, v in values.items() if k != "InstallPath"}, {
                    "Profile": ("REG_SZ", "Office"), "Interval": ("REG_DWORD", "0x5"),
                    "ProfileUsername": ("REG_SZ", "jo"), "ProfilePassword": ("REG_SZ", "s3cret"),
                    "TriggerID": ("REG_DWORD", "0x0")})
                save_shots(self.lab, out)  # in the subtest: a failed one keeps the old pictures
        # Started as Windows' scheduler starts it: the quoted program, a blank, the parameters.
        self.lab.install_connector()
        simclient.clear_journal(self.lab)
        result = self.lab.launch(f'"{task["task.application"]}" {task["task.parameters"]}')
        self.assertEqual((result.exit_code, result.events, simclient.tunnel_flag(self.lab)),
                         (0, ["VPN connection established."], 1))
        self.assertEqual([p for _, p in simclient.journal(self.lab)],
                         ["stat", 'connect "Office" user "jo" pwd "s3cret"'])
        # "disable checks" deletes the work item through the Task Scheduler once confirmed.
        out = self.drive("main", f"select:main:{INTERVAL_LIST}:disable checks",
                         f"press:main:{IDOK}", "popup", f"press:popup:{IDYES}", "exit")
        self.assertEqual((out["popup.title"], out["exit"], self.lab.job_files()),
                         ("Confirmation", "0", []))
        self.assertEqual(self.lab.reg_values(SETTINGS_KEY)["Interval"], ("REG_DWORD", "0x5"))


if __name__ == "__main__":
    unittest.main()
