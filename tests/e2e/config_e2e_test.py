#!/usr/bin/env python3
"""End-to-end tests of FerrolinkConfig_WIN.exe's main dialog: profile list, stored settings,
interval selection, task state, About box, F1 help, Cancel, the missing client, "Lang.dll".
The fixture is e2e_support's."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F401,F403
from e2e_support import ConfigProgramCase, winelab  # noqa: E402


class MainDialogTest(ConfigProgramCase):
    # -- the main dialog -----------------------------------------------------------------
    def test_shows_profiles_stored_settings_and_task(self):
        self.prepare(settings=STORED, task=True)
        out = self.drive("main", "dump:main", "sysmenu", self.shot("main", "main-dialog"),
                         f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["main.title"], "Ferrolink Config")
        self.assertEqual(out.items("main", PROFILE_LIST), SORTED_PROFILES)
        self.assertEqual(out.selected("main", PROFILE_LIST), "Office")
        self.assertEqual(out.control("main", PROFILE_LIST, "text"), "Office")
        self.assertEqual(out.items("main", INTERVAL_LIST), INTERVAL_ITEMS)
        self.assertEqual(out.selected("main", INTERVAL_LIST), "6 minutes")
        self.assertEqual(out.control("main", USER_EDIT, "text"), "jo")
        self.assertEqual(out.control("main", PASSWORD_EDIT, "text"), "s3cret")
        self.assertEqual(out.control("main", CHECK_TEXT, "text"), "once per 6 mins")
        self.assertEqual(out.control("main", TASK_TEXT, "text"), "Ferrolink")
        self.assertEqual(out.control("main", DELETE_BUTTON, "enabled"), "1")
        for hidden in (DELETE_BUTTON, TASK_TEXT):
            self.assertEqual(out.control("main", hidden, "visible"), "0", hidden)
        # The About item comes last, after a separator of its own.
        menu = out.system_menu()
        self.assertEqual(menu[-1], (ABOUT_COMMAND, False, "&About ..."))
        self.assertTrue(menu[-2][1], menu)
        self.assertEqual(out["exit"], "0")
        self.save_shots(out)

    def test_defaults_without_stored_settings_or_task(self):
        self.prepare()
        out = self.drive("main", "dump:main", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out.items("main", PROFILE_LIST), SORTED_PROFILES)
        self.assertIsNone(out.selected("main", PROFILE_LIST))
        self.assertEqual(out.selected("main", INTERVAL_LIST), "10 minutes")
        self.assertEqual(out.control("main", USER_EDIT, "text"), "")
        self.assertEqual(out.control("main", PASSWORD_EDIT, "text"), "")
        self.assertEqual(out.control("main", CHECK_TEXT, "text"), "no checking set")
        self.assertEqual(out.control("main", TASK_TEXT, "text"), "no task")
        self.assertEqual(out.control("main", DELETE_BUTTON, "enabled"), "0")
        self.assertEqual(out.control("main", DELETE_BUTTON, "visible"), "0")

    def test_stored_interval_selects_item_by_leading_number(self):
        # With the task present, 1019 shows the number the selection left, not the trigger's.
        for stored, item, shown in ((7, "7 minutes", "once per 7 mins"),
                                    (60, "60 minutes", "once per 60 mins"),
                                    (12, "10 minutes", "once per 10 mins"),
                                    (None, "10 minutes", "once per 10 mins")):
            with self.subTest(stored=stored):
                self.prepare(settings={} if stored is None else {"Interval": stored}, task=True)
                out = self.drive("main", "dump:main", f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(out.selected("main", INTERVAL_LIST), item)
                self.assertEqual(out.control("main", CHECK_TEXT, "text"), shown)

    def test_stored_profile_selects_first_item_beginning_with_it(self):
        for profiles, stored, expected in ((["Zeta", "Office2", "a.b"], "Office", "Office2"),
                                           (PROFILES, "office", "Office"),
                                           (PROFILES, "Gone", None),
                                           (PROFILES, "", None),
                                           ([], "Office", None)):
            with self.subTest(stored=stored, profiles=profiles):
                self.prepare(settings={"Profile": stored}, profiles=profiles)
                out = self.drive("main", "dump:main", f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(out.items("main", PROFILE_LIST), sorted(profiles, key=str.lower))
                self.assertEqual(out.selected("main", PROFILE_LIST), expected)
                self.assertEqual(out.control("main", PROFILE_LIST, "text"), expected or "")

    def test_cancel_after_edits_writes_nothing(self):
        for stored in (STORED, None):
            with self.subTest(stored=stored):
                self.prepare(settings=stored)
                before = winelab.reg_values(self.lab, SETTINGS_KEY)
                out = self.drive("main", f"select:{PROFILE_LIST}:Zeta",
                                 f"select:{INTERVAL_LIST}:disable checks",
                                 f"settext:{USER_EDIT}:someone", f"settext:{PASSWORD_EDIT}:changed",
                                 "dump:main", f"press:main:{IDCANCEL}", "exit")
                # The edits reached the dialog, and Cancel dropped them.
                self.assertEqual(out.control("main", PROFILE_LIST, "text"), "Zeta")
                self.assertEqual(out.selected("main", INTERVAL_LIST), "disable checks")
                self.assertEqual(out.control("main", USER_EDIT, "text"), "someone")
                self.assertEqual(out["exit"], "0")
                self.assertEqual(winelab.reg_values(self.lab, SETTINGS_KEY), before)
                self.assertEqual(self.job_files(), [])

    # -- About box and help --------------------------------------------------------------
    def test_about_box_from_system_menu_returns_to_unchanged_dialog(self):
        self.prepare(settings=STORED)
        out = self.drive("main", f"select:{INTERVAL_LIST}:30 minutes", f"settext:{USER_EDIT}:someone",
                         "dump:main", f"syscommand:{ABOUT_COMMAND}", "popup", "dump:popup",
                         self.shot("popup", "about-box"), f"press:popup:{IDOK}", "gone", "windows",
                         "dump:main", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["popup.title"], "About FerrolinkConfig_WIN")
        self.assertIn("FerrolinkConfig - Ver 1.0", out.unnamed_texts("popup"))
        self.assertEqual(out["windows"], "1")
        before, after = out.dumps("main")
        self.assertEqual(before, after)
        self.assertIn((f"main.{USER_EDIT}.text", "someone"), after)
        self.assertIn((f"main.{INTERVAL_LIST}.text", "30 minutes"), after)
        self.save_shots(out)

    def help_marker(self):
        path = self.lab.unix_path(HELP_MARKER)
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            return f.read().decode("latin-1").splitlines()

    def test_f1_opens_help_file_from_main_dialog_and_about_box(self):
        self.prepare(settings={"HelpFile": HELP_PROBE})
        out = self.drive("main", "f1", f"waitlines:1:{HELP_MARKER}", "windows",
                         f"syscommand:{ABOUT_COMMAND}", "popup", "f1", f"waitlines:2:{HELP_MARKER}",
                         f"press:popup:{IDOK}", "gone", f"press:main:{IDCANCEL}", "exit")
        # One start of the document per F1, the second from the About box.
        self.assertEqual(out.all("waitlines"), ["1", "2"])
        self.assertEqual(out["windows"], "1")
        self.assertIn("help_probe.exe", self.help_marker()[0])

    def test_f1_without_help_file_or_with_shift_or_ctrl_does_nothing(self):
        for help_file, key in ((None, "f1"), (HELP_PROBE, "f1:shift"), (HELP_PROBE, "f1:ctrl")):
            with self.subTest(help_file=help_file, key=key):
                self.prepare(settings=dict(STORED, **({"HelpFile": help_file} if help_file else {})))
                out = self.drive("main", key, f"waitfile:2000:{HELP_MARKER}", "windows",
                                 f"press:main:{IDCANCEL}", "exit")
                self.assertEqual(out["waitfile"], "0")
                self.assertEqual(out["windows"], "1")
                self.assertEqual(out["exit"], "0")

    # -- the missing VPN client -----------------------------------------------------------
    def test_missing_client_shows_error_and_ends_with_1(self):
        for client in ("no key", "no InstallPath"):
            with self.subTest(client=client):
                self.prepare(settings=STORED, client=client)
                steps = ["popup", "windows", "dump:popup"]
                if client == "no key":
                    steps.append(self.shot("popup", "client-not-found"))
                out = self.drive(*steps, f"press:popup:{IDOK}", "exit")
                self.assertEqual(out["popup.title"], "Error")
                self.assertEqual(out["popup.text"], CLIENT_NOT_FOUND)
                self.assertEqual(out["windows"], "1", "the main dialog must not show")
                self.assertEqual(out["exit"], "1")
                self.save_shots(out)

    # -- "Lang.dll" ----------------------------------------------------------------------
    def test_lang_dll_supplies_dialogs_strings_and_about_box(self):
        self.prepare(settings=STORED, task=True, lang="Lang.dll")
        out = self.drive("main", "dump:main", "sysmenu", self.shot("main", "main-dialog-lang"),
                         f"syscommand:{ABOUT_COMMAND}", "popup", "dump:popup", f"press:popup:{IDOK}",
                         "gone", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["main.title"], "Ferrolink Konfiguration")
        for label in ("Profil:", "Benutzername:", "Kennwort:", "&Konfiguration testen", "&Abbrechen",
                      "Einrichtung des Cisco VPN Client", "Automatische Verbindungspr\u00fcfung"):
            self.assertIn(label, out.texts("main"))
        self.assertEqual(out.items("main", INTERVAL_LIST), GERMAN_INTERVAL_ITEMS)
        self.assertEqual(out.selected("main", INTERVAL_LIST), "6 Minuten")
        self.assertEqual(out.control("main", CHECK_TEXT, "text"), "einmal alle 6 Min.")
        self.assertEqual(out.system_menu()[-1], (ABOUT_COMMAND, False, "&\u00dcber ..."))
        self.assertEqual(out["popup.title"], "Info \u00fcber FerrolinkConfig_WIN")
        self.assertIn("FerrolinkConfig - Version 1.0 (deutsch)", out.unnamed_texts("popup"))
        self.save_shots(out)

    def test_lang_dll_supplies_task_texts_and_error_box(self):
        # The library's template shows other texts in 1018 and 1019 than its strings 115 and
        # 117, so these prove that the dialog loaded them from its string table.
        self.prepare(lang="Lang.dll")
        out = self.drive("main", "dump:main", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out.control("main", TASK_TEXT, "text"), "keine Aufgabe")
        self.assertEqual(out.control("main", CHECK_TEXT, "text"), "keine Pr\u00fcfung eingestellt")
        self.prepare(client="no key", lang="Lang.dll")
        out = self.drive("popup", f"press:popup:{IDOK}", "exit")
        self.assertEqual(out["popup.title"], "Fehler")
        self.assertEqual(out["popup.text"], GERMAN_CLIENT_NOT_FOUND)
        self.assertEqual(out["exit"], "1")

    def test_incomplete_lang_dll_falls_back_and_may_hide_about_item(self):
        # The library has the main dialog, an empty string 101, and nothing else.
        self.prepare(lang="LangPartial.dll")
        out = self.drive("main", "dump:main", "sysmenu", f"syscommand:{ABOUT_COMMAND}", "popup",
                         "dump:popup", f"press:popup:{IDOK}", "gone", f"press:main:{IDCANCEL}", "exit")
        self.assertEqual(out["main.title"], "Ferrolink Konfiguration")
        self.assertEqual(out.items("main", INTERVAL_LIST), GERMAN_INTERVAL_ITEMS)
        self.assertEqual(out.control("main", CHECK_TEXT, "text"), "no checking set")
        self.assertEqual(out.control("main", TASK_TEXT, "text"), "no task")
        self.assertNotIn(ABOUT_COMMAND, [item[0] for item in out.system_menu()])
        self.assertEqual(out["popup.title"], "About FerrolinkConfig_WIN")
        self.assertIn("FerrolinkConfig - Ver 1.0", out.unnamed_texts("popup"))
        self.assertEqual(out["exit"], "0")


if __name__ == "__main__":
    unittest.main()
