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
  FerrolinkConfig_WIN.exe       shows the configuration dialog
  FerrolinkConfig_WIN.exe /?    shows this text

Exit codes: 0 done; 10 bad command line (this text is shown).

This is a windowed program: from an interactive prompt, start it with start /wait to see its \
exit code (start /wait FerrolinkConfig_WIN.exe /?, then echo %ERRORLEVEL%); a batch file waits \
for it by itself. On Windows with User Account Control, run it from an elevated prompt or a \
deployment tool.
""".replace("\n", "\r\n")


class CommandLineCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lab = winelab.WinePrefix(os.environ["WINEPREFIX"], BUILD)
        cls.lab.init()
        start_display(cls)
        cls.work = cls.lab.unix_path(CLI_WORK)
        shutil.rmtree(cls.work, ignore_errors=True)
        os.makedirs(cls.work)
        shutil.copy(os.environ.get("FERROLINK_CONFIG_PROGRAM",
                                   os.path.join(BUILD, "config", "FerrolinkConfig_WIN.exe")), cls.work)

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
                ('/Status /profile:"Head Office"', 10, "", "Unknown switch: /profile\r\n\r\n" + USAGE),
                ("/? /?", 10, "", "Unknown switch: /?\r\n\r\n" + USAGE))
        for arguments, code, out, err in rows:
            with self.subTest(arguments):
                self.assertEqual(self.run_command(arguments), (code, out, err))


if __name__ == "__main__":
    unittest.main()
