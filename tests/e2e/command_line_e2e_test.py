#!/usr/bin/env python3
"""FerrolinkConfig_WIN.exe started with a command, end to end under Wine: exact command lines
through the launcher, standard input given and standard output and error read back whole, the
exit code, and what the command left in the registry and the Task Scheduler."""
import os, shutil, sys, unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_support import *  # noqa: E402,F403,F405

CLI_WORK = r"C:\ferrolink-cli"
CLI_PROGRAM = CLI_WORK + r"\FerrolinkConfig_WIN.exe"
USAGE = """Usage:
  FerrolinkConfig_WIN.exe          shows the configuration dialog
  FerrolinkConfig_WIN.exe /apply [/profile:NAME] [/user:NAME] [/password:TEXT|-] [/interval:MINUTES]
                          [/account:NAME] [/accountpassword:TEXT|-]
                                   saves the settings and creates or updates the task, as OK does
  FerrolinkConfig_WIN.exe /test [/profile:NAME] [/user:NAME] [/password:TEXT|-] [/timeout:SECONDS]
                                   connects once and disconnects again; saves nothing (default \
timeout 300)
  FerrolinkConfig_WIN.exe /delete  deletes the task; the stored settings stay
  FerrolinkConfig_WIN.exe /status  tells the state of the task, the Task Scheduler and the tunnel
  FerrolinkConfig_WIN.exe /?       shows this text
A value not given is the stored one. A value - is read as one line from standard input redirected \
from a file or a pipe, in the system code page: the profile password first, then the account \
password.

Exit codes: 0 done (also /delete without a task); 10 bad command line (this text is shown); 11 \
Cisco VPN Client not found; 12 no profile given, or no such profile; 13 a value refused; 14 the \
Windows account refused by the logon check; 15 the Task Scheduler could not be reached, or the \
task not written or not deleted; 16 applied, but the Task Scheduler service is not running and \
could not be started (the task runs once it does); 17 the test's connect failed; 18 the test had \
no outcome within its time limit; 19 the settings could not be saved; 20 the test did not connect: \
the tunnel is up already; 21 another configuration was being saved.
/status, as a monitoring plugin: 0 OK (the task exists and the tunnel is up), 1 WARNING (the task \
exists, but it is disabled, no trigger runs it, its last run could not start, the tunnel is down \
or its last run ended with 1), 2 CRITICAL (no task, no VPN client, or the Task Scheduler not \
running), 3 UNKNOWN (the state could not be read).

This is a windowed program: from an interactive prompt, start it with start /wait to see its exit \
code (start /wait FerrolinkConfig_WIN.exe /status, then echo %ERRORLEVEL%); a batch file waits for \
it by itself. On Windows with User Account Control, run it from an elevated prompt or a deployment \
tool.
""".replace("\n", "\r\n")


class CommandLineCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        open_program_folder(cls, CLI_WORK)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def run_command(self, arguments, stdin=b""):
        """The program with these arguments: (exit code, standard output, standard error)."""
        result = self.lab.launch(f'"{CLI_PROGRAM}" {arguments}', stdio=stdin, debug="-all")
        return result.exit_code, result.output, result.stderr


class UsageTest(CommandLineCase):
    def test_help_prints_the_usage_and_a_bad_command_line_adds_what_is_wrong(self):
        rows = (("/?", 0, USAGE, ""),
                ('/Status /profile:"Head Office"', 10, "",
                 "Unknown switch: /profile\r\n\r\n" + USAGE),
                ("/? /?", 10, "", "Unknown switch: /?\r\n\r\n" + USAGE))
        for arguments, code, out, err in rows:
            with self.subTest(arguments):
                self.assertEqual(self.run_command(arguments), (code, out, err))

    def test_a_lang_dll_translates_the_texts_it_holds_and_the_program_gives_the_rest(self):
        lang = os.path.join(self.work, "Lang.dll")
        shutil.copy(os.path.join(BUILD, "tests", "ui", "ui_partial_lang.dll"), lang)
        self.addCleanup(os.remove, lang)
        self.lab.reg_import({simclient.VPN_CLIENT_KEY: None})
        self.assertEqual(self.run_command("/apply"),
                         (11, "",
                          "Cisco VPN Client nicht gefunden. Pr\xfcfen Sie die Installation.\r\n"))
        self.assertEqual(self.run_command("/?"), (0, USAGE, ""))


def status_lines(first, task_lines, tunnel):
    """/status's output whole, for the simulated client and the stored settings of STORED."""
    return "\r\n".join([first, f"VPN client: found in {simclient.SIM_FOLDER}\\", "Profile: Office",
                         "Interval (minutes): 6", "Profile username: jo", *task_lines,
                         "Task Scheduler: running", f"Tunnel: {tunnel}", ""])


# The work item that config_driver's "task create" stores, as /status tells it under Wine, which
# keeps no account with a work item and runs none of it.
STORED_TASK = ["Task: present", rf"Task application: {winelab.CONNECTOR_FOLDER}\Ferrolink.exe",
               'Task parameters: "Office" -u "jo" -p ***',
               "Task account: could not be read (0x80070002)"]

class StatusTest(CommandLineCase):
    def setUp(self):
        simclient.install(self.lab, {"Office": {}})
        self.lab.reg_import({SETTINGS_KEY: STORED})
        list(map(os.remove, self.lab.job_files()))

    def status(self):
        code, out, err = self.run_command("/status")
        # Neither the stored password nor the one in the work item's parameters.
        self.assertNotIn(STORED["ProfilePassword"], out + err)
        self.assertNotIn("secret", out + err)
        self.assertEqual(err, "")
        return code, out

    def test_status_tells_the_machine_without_and_with_the_work_item(self):
        self.assertEqual(self.status(), (2, status_lines("FERROLINK CRITICAL - no task",
                                                         ["Task: no task"], "down")))
        self.assertEqual(drive(self, self.lab, "task", "create")["task.created"], "1")
        # What Wine tells of the trigger, state and runs of a work item that it never ran is
        # proven with the stand-in; here that the lines are there, in their order.
        code, out = self.status()
        lines = out.splitlines()
        self.assertEqual((code, lines[:9], [line.split(":")[0] for line in lines[9:13]],
                          lines[13:]),
                         (1, status_lines("FERROLINK WARNING - task present, tunnel down",
                                          STORED_TASK, "down").splitlines()[:9],
                          ["Task trigger", "Task state", "Task last run", "Task next run"],
                          ["Task Scheduler: running", "Tunnel: down"]))
        self.lab.reg_add(simclient.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 1)
        code, out = self.status()
        self.assertEqual((code, out.splitlines()[0], out.splitlines()[-1]),
                         (0, "FERROLINK OK - task present, tunnel up", "Tunnel: up"))
        self.lab.reg_import({simclient.VPN_CLIENT_KEY: None})
        code, out = self.status()
        self.assertEqual((code, out.splitlines()[:2]),
                         (2, ["FERROLINK CRITICAL - Cisco VPN Client not found",
                              "VPN client: not found"]))


    def test_delete_removes_the_work_item_and_leaves_the_settings(self):
        self.assertEqual(drive(self, self.lab, "task", "create")["task.created"], "1")
        settings = self.lab.reg_values(SETTINGS_KEY)
        self.assertEqual(self.run_command("/DELETE"), (0, "The task was deleted.\r\n", ""))
        self.assertEqual((self.lab.drive("task", "show")["task.exists"], self.lab.job_files(),
                          self.lab.reg_values(SETTINGS_KEY)), ("0", [], settings))
        self.assertEqual(self.run_command("/delete"),
                         (0, "There is no task to delete.\r\n", ""))


class ApplyTest(CommandLineCase):
    APPLY = ("/apply /profile:office /user:jo /password:- /interval:15 /account:vpnuser "
             "/accountpassword:-")

    def setUp(self):
        # The profile expects these credentials: a connect with any others ends with 14.
        simclient.install(self.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})
        self.lab.reg_import({SETTINGS_KEY: {"InstallPath": winelab.CONNECTOR_FOLDER}})
        list(map(os.remove, self.lab.job_files()))

    def test_apply_writes_the_work_item_whose_command_line_brings_the_tunnel_up(self):
        self.assertEqual(self.run_command(self.APPLY, stdin=b"s3cret\r\nwindows-pw\r\n"),
                         (0, "The settings were saved and the task was created or updated.\r\n",
                          ""))
        task = drive(self, self.lab, "task", "show")
        self.assertEqual((task["task.application"], task["task.parameters"],
                          task["task.maxruntime"],
                          task[f"trigger.{int(task['task.triggers']) - 1}.MinutesInterval"]),
                         (winelab.CONNECTOR_FOLDER + r"\Ferrolink.exe",
                          '"Office" -u "jo" -p "s3cret"', "300000", "15"))
        self.assertEqual({k: v for k, v in self.lab.reg_values(SETTINGS_KEY).items()
                          if k not in ("InstallPath", "TriggerID")},
                         {"Profile": ("REG_SZ", "Office"), "Interval": ("REG_DWORD", "0xf"),
                          "ProfileUsername": ("REG_SZ", "jo"),
                          "ProfilePassword": ("REG_SZ", "s3cret")})
        self.lab.install_connector()
        result = self.lab.launch(f'"{task["task.application"]}" {task["task.parameters"]}')
        self.assertEqual((result.exit_code, result.events, simclient.tunnel_flag(self.lab)),
                         (0, ["VPN connection established."], 1))
        code, out, _ = self.run_command("/status")
        self.assertEqual((code, out.splitlines()[0]),
                         (0, "FERROLINK OK - task present, tunnel up"))

    def test_a_refused_value_and_a_missing_client_save_nothing(self):
        self.lab.reg_import({SETTINGS_KEY: None})
        # /user:a\"b is the user name a"b by the C runtime's rules.
        not_plain = ("The line on standard input for /password is not plain text: it begins with "
                     "a byte-order mark or holds a control character. Save the file as ANSI text "
                     "(in PowerShell: Set-Content -Encoding Default); nothing was saved.\r\n")
        rows = ((r'/apply /profile:Office /user:a\"b /password:x', b"", 13,
                 "The profile username and password must not contain a double quote (\").\r\n\r\n"
                 "Enter them without double quotes.\r\n"),
                ("/apply /profile:Home", b"", 12,
                 "There is no profile Home in the Cisco VPN Client.\r\n"),
                ("/apply /profile:Office /user:jo /password:-", b"", 10,
                 "No line on standard input for /password.\r\n\r\n" + USAGE),
                # What PowerShell 5.1's ">" and a UTF-8 editor write.
                ("/apply /profile:Office /user:jo /password:-", "s3cret\r\n".encode("utf-16"), 13,
                 not_plain),
                ("/apply /profile:Office /user:jo /password:-", "s3cret\r\n".encode("utf-8-sig"),
                 13, not_plain))
        for arguments, stdin, code, err in rows:
            with self.subTest(arguments, stdin=stdin):
                self.assertEqual(self.run_command(arguments, stdin), (code, "", err))
        self.lab.reg_import({simclient.VPN_CLIENT_KEY: None})
        self.assertEqual(self.run_command("/apply /profile:Office /user:jo /password:x"),
                         (11, "", "Cisco VPN Client not found.\r\n\r\nInstall the correct version "
                                  "of Cisco VPN Client and execute the configuration application "
                                  "again.\r\n"))
        self.assertEqual((self.lab.reg_values(SETTINGS_KEY), self.lab.job_files()), (None, []))


class TestCommandTest(CommandLineCase):
    def test_test_connects_and_disconnects_names_a_failure_and_takes_down_a_late_success(self):
        simclient.install(self.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})
        self.lab.reg_import({SETTINGS_KEY: STORED})
        self.addCleanup(simclient.script, self.lab, "")
        connect = 'connect "Office" user "jo" pwd "s3cret"'
        rows = (("/test", b"", "", 0,
                 "VPN Tunnel successfuly established.\r\n(VPN Tunnel will be disconnected)\r\n", "",
                 [connect, "disconnect"]),
                ("/test /password:-", b"wrong\r\n", "", 17, "",
                 "Error establishing VPN Tunnel (ERR_START_FAILED).\r\n",
                 ['connect "Office" user "jo" pwd "wrong"']),
                ("/test /timeout:1", b"", "connect delay=3000\n", 18, "",
                 "The VPN client gave no outcome within 1 seconds; a tunnel that it still brings "
                 "up will be disconnected.\r\n", [connect, "disconnect"]))
        for arguments, stdin, script, code, out, err, runs in rows:
            with self.subTest(arguments):
                simclient.script(self.lab, script)
                simclient.clear_journal(self.lab)
                self.assertEqual(self.run_command(arguments, stdin), (code, out, err))
                # The disconnect run is not waited for.
                wait_until(lambda: len(simclient.journal(self.lab)) == len(runs), 10)
                self.assertEqual(([p for _, p in simclient.journal(self.lab)],
                                  simclient.tunnel_flag(self.lab)), (runs, 0))
        # The test saves nothing.
        self.assertEqual(self.lab.reg_values(SETTINGS_KEY)["ProfilePassword"],
                         ("REG_SZ", STORED["ProfilePassword"]))
        # A tunnel that is up, perhaps the one the task keeps, is left alone.
        simclient.clear_journal(self.lab)
        self.lab.reg_add(simclient.VPN_CLIENT_KEY, "TunnelEstablished", "REG_DWORD", 1)
        self.assertEqual((self.run_command("/test"), simclient.journal(self.lab),
                          simclient.tunnel_flag(self.lab)),
                         ((20, "", "The VPN tunnel is up already: the test does not connect, so "
                                   "that it does not take the tunnel down. Test while the tunnel "
                                   "is down.\r\n"), [], 1))


class LongClientFolderTest(CommandLineCase):
    def test_a_client_folder_of_239_characters_is_found_by_test_status_and_the_connector(self):
        # The client's program then has a path of 253 characters, below Windows' 260.
        folder = "C:\\" + "L" * 236
        simclient.install(self.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})
        self.addCleanup(simclient.install, self.lab)
        os.makedirs(self.lab.unix_path(folder))
        self.addCleanup(shutil.rmtree, self.lab.unix_path(folder))
        shutil.copytree(os.path.join(simclient.unix_folder(self.lab), "profiles"),
                        self.lab.unix_path(folder + "\\profiles"))
        shutil.copy(os.path.join(simclient.unix_folder(self.lab), "vpnclient.exe"),
                    self.lab.unix_path(folder))
        self.lab.reg_import({simclient.VPN_CLIENT_KEY: {"InstallPath": folder + "\\",
                                                        "TunnelEstablished": 0},
                             SETTINGS_KEY: STORED})
        test = self.run_command("/test")
        connector = self.lab.launch(f'"{self.lab.install_connector()}" "Office" -u "jo" '
                                    '-p "s3cret"')
        code, out, _ = self.run_command("/status")
        self.assertEqual((test[0], connector.exit_code, connector.events, code,
                          out.splitlines()[:2]),
                         (0, 0, ["VPN connection established."], 2,
                          ["FERROLINK CRITICAL - no task", f"VPN client: found in {folder}\\"]))


class DeploySampleTest(CommandLineCase):
    def test_the_sample_deploy_cmd_sets_the_machine_up_under_cmd(self):
        folder = r"C:\ferrolink-deploy"
        work = self.lab.unix_path(folder)
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        shutil.copy(os.path.join(SOURCE, "docs", "deploy.cmd"), work)
        if not winelab.runs_32bit_programs():
            self.skipTest("the shipped setup is a 32-bit program, which this machine cannot run")
        shutil.copy(os.environ["FERROLINK_SETUP"], os.path.join(work, "FerrolinkSetup.exe"))
        with open(os.path.join(work, "secrets.txt"), "wb") as f:
            f.write(b"s3cret\r\nwindows-pw\r\n")
        simclient.install(self.lab, {"Office": {"Username": "jo", "Password": "s3cret"}})
        self.lab.reg_import({SETTINGS_KEY: None})
        list(map(os.remove, self.lab.job_files()))
        result = self.lab.wine(["cmd", "/c", folder + r"\deploy.cmd", folder + r"\Ferrolink"],
                               timeout=120)
        # "_?=" keeps the uninstaller in place and waited for: nothing of it runs on behind later
        # tests.
        self.addCleanup(self.lab.wine, [self.lab.unix_path(folder + r"\Ferrolink\uninstall.exe"),
                                        "/S", "_?=" + folder + r"\Ferrolink"])
        lines = result.stdout.splitlines()
        self.assertEqual((result.exit_code, lines[:7], lines[-1]),
                         (0, [rf"Installing Ferrolink into {folder}\Ferrolink ...",
                              "Applying profile Office ...",
                              "The settings were saved and the task was created or updated.",
                              "Testing the profile: one connect and disconnect ...",
                              "VPN Tunnel successfuly established.",
                              "(VPN Tunnel will be disconnected)",
                              "FERROLINK WARNING - task present, tunnel down"],
                          "Ferrolink is set up."))
        task = drive(self, self.lab, "task", "show")
        self.assertEqual((task["task.application"], task["task.parameters"],
                          [p for _, p in simclient.journal(self.lab)]),
                         (folder + r"\Ferrolink\Ferrolink.exe", '"Office" -u "jo" -p "s3cret"',
                          ['connect "Office" user "jo" pwd "s3cret"', "disconnect"]))


if __name__ == "__main__":
    unittest.main()
