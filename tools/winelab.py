#!/usr/bin/env python3
"""A private Wine prefix for proving the Windows programs: the prefix, its registry, exact
command-line runs and the configuration program's driver. The simulated VPN client is installed
into a prefix by simclient.py, and display.py gives windowed runs an X server of their own.

Used by the integration, end-to-end and setup tests, the demo and the benchmark. Also a
command line:
  winelab.py --prefix DIR --build DIR init         create the prefix (idempotent)
"""
import argparse
import codecs
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CONNECTOR_FOLDER = r"C:\Program Files\Ferrolink"
WINE64 = "/usr/lib/wine/wine64"
# Wine takes its code page from the locale: this one gives 1252 on every machine.
LOCALE = "C.UTF-8"
_REG_ROOTS = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}
EVENT_TRACE = re.compile(r'trace:eventlog:ReportEventW L"((?:[^"\\]|\\.)*)"')
# Wine's relay trace of ReportEventA: handle, type, category, id, sid, count, data size, strings,
# data.
EVENT_CALL = re.compile(r"Call advapi32\.ReportEventA\(([0-9a-f,]+)\)")
# The calls that Wine's relay trace shows (trace_calls), and a program's SetErrorMode among them.
RELAY_CALLS = "advapi32.ReportEventA;SetErrorMode"
ERROR_MODE_CALL = re.compile(r"Call KERNEL32\.SetErrorMode\(([0-9a-f]+)\)")


@dataclass
class RunResult:
    exit_code: int          # the Windows exit code, as an unsigned 32-bit number
    stdout: str
    stderr: str
    events: list = field(default_factory=list)  # event-log messages, in order; only for launch()
    seconds: float = 0.0
    elapsed_ms: float = None  # start to end of the launched program, measured inside Wine
    # Per event: (type, category, event id, sid, string count, data size, raw data), as passed
    # to ReportEventA; only for launch().
    event_calls: list = field(default_factory=list)
    output: str = ""  # what a launched program wrote to standard output; launch(stdio=...)


def _unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def header_constants(*headers):
    """The constants that the product's headers (paths from the source root) define, as
    {name: value}: each `#define NAME <number>` and `inline constexpr const char* NAME = "<text>";`,
    so that the tools use the product's one definition rather than a copy."""
    found = {}
    for header in headers:
        with open(os.path.join(SOURCE, header)) as f:
            text = f.read()
        found.update((name, int(value, 0)) for name, value in
                     re.findall(r"^#define (\w+) (0x[0-9A-Fa-f]+|\d+)\b", text, re.M))
        found.update((name, _unescape(value)) for name, value in
                     re.findall(r'constexpr const char\* (\w+) = "((?:[^"\\]|\\.)*)";', text))
    return found


# The configuration program's control ids, settings key and work item.
CONFIG = header_constants("config/res/resource.h", "config/settings_store.h",
                          "config/task/scheduler_access.h")
SETTINGS_KEY = "HKLM\\" + CONFIG["kSettingsKey"]
WORK_ITEM = CONFIG["kWorkItemName"]


class WinePrefix:
    def __init__(self, prefix, build):
        self.prefix = os.path.abspath(prefix)
        self.build = os.path.abspath(build)

    # -- environment -------------------------------------------------------------------------
    def env(self, debug="-all"):
        env = dict(os.environ)
        env["WINEPREFIX"] = self.prefix
        env["WINEDEBUG"] = debug
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env["LC_ALL"] = LOCALE
        return env

    def loader(self):
        """The 64-bit loader for a 64-bit prefix. With 32-bit Wine installed beside it, `wine`
        starts Wine's own programs (reg, regedit) as 32-bit ones, and those see the registry's
        32-bit view, which a 64-bit program does not read."""
        system_reg = os.path.join(self.prefix, "system.reg")
        if os.path.exists(system_reg):
            with open(system_reg, "rb") as f:
                if b"#arch=win32" in f.read(4096):
                    return "wine"
        elif os.environ.get("WINEARCH") == "win32":
            return "wine"
        return WINE64 if os.path.exists(WINE64) else "wine"

    def init(self):
        """Creates the prefix once; a prefix that exists is kept, unless it is a 64-bit one made
        while 32-bit programs could not run, whose 32-bit half (syswow64) is then empty."""
        syswow64 = os.path.join(self.prefix, "drive_c", "windows", "syswow64")
        if (self.loader() == WINE64 and os.path.isdir(syswow64)
                and not os.path.exists(os.path.join(syswow64, "kernel32.dll"))
                and runs_32bit_programs()):
            shutil.rmtree(self.prefix)
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            os.makedirs(self.prefix, exist_ok=True)
            # Through the prefix's own loader: `wineboot` would start the 32-bit one, which a
            # machine without 32-bit support cannot run even for a 64-bit prefix.
            with tempfile.TemporaryFile() as err:
                made = subprocess.run([self.loader(), "wineboot.exe", "-i"],
                                      env=self.env("err+all"), stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=err)
                if made.returncode != 0:
                    err.seek(0)
                    raise RuntimeError(f"wineboot -i for {self.prefix} ended with "
                                       f"{made.returncode}:\n"
                                       + err.read().decode("latin-1")[-4000:])
            subprocess.run(["wineserver", "-w"], env=self.env(), check=False)

    def start_server(self):
        """A persistent server: later Wine programs start in a fraction of a second."""
        subprocess.Popen(["wineserver", "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).wait()

    def stop_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def unix_path(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        assert drive.upper() == "C", windows_path
        return os.path.join(self.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    # -- running programs -------------------------------------------------------------------
    def wine(self, args, debug="-all", timeout=120, stdin=b""):
        """Runs a Windows program with `stdin` as its standard input; output goes through
        files, never pipes (Wine's helper processes outlive the program and would hold a pipe
        open)."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err, \
                tempfile.TemporaryFile() as given:
            given.write(stdin)
            given.seek(0)
            start = time.monotonic()
            proc = subprocess.run([self.loader(), *args], env=self.env(debug),
                                  stdin=given, stdout=out, stderr=err,
                                  timeout=timeout, check=False)
            seconds = time.monotonic() - start
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("latin-1")
            stderr = err.read().decode("latin-1")
        return RunResult(proc.returncode, stdout, stderr, seconds=seconds)

    def wine_started(self, args, started=None, **options):
        """wine(), run once more when the program ended before it began its work: when
        started(result) is false, by default when it failed without a word. Now and then, under
        load, a Wine program ends with 1 before its first output; this is the place that says
        so, with what Wine wrote to the standard error, and such a run did nothing that a second
        one would see."""
        result = self.wine(args, **options)
        if not (started or _said_anything)(result):
            sys.stderr.write(f"{os.path.basename(args[0])} ended with {result.exit_code} before "
                             f"it began; run again. Its standard error:\n{result.stderr[-2000:]}\n")
            result = self.wine(args, **options)
        return result

    def launch(self, command_line, timeout=120, debug="-all,+eventlog,+relay", stdio=None):
        """Starts a program with exactly this command line (through launch.exe and a file,
        so no shell or Wine re-quoting touches it) and reports its full exit code and the
        event-log messages of the whole process tree (with the default `debug`). With `stdio`
        (bytes, possibly empty) the program reads them as its standard input, and what it
        writes to standard output is in `output` (its standard error is in `stderr`, alone
        with debug="-all")."""
        line_file = self.unix_path(r"C:\ferrolink-test\cmdline.txt")
        os.makedirs(os.path.dirname(line_file), exist_ok=True)
        with open(line_file, "wb") as f:
            f.write(command_line.encode("latin-1"))
        args = [os.path.join(self.build, "tools", "launch.exe"), r"@C:\ferrolink-test\cmdline.txt"]
        if stdio is not None:
            args.insert(1, "--stdio")
        result = self.wine(args, debug=debug, timeout=timeout, stdin=stdio or b"")
        match = re.search(r"^exit=(\d+)", result.stdout, re.M)
        if match is None:
            raise RuntimeError(f"launch.exe failed with {result.exit_code}: {result.stdout} "
                               f"{result.stderr[-2000:]}")
        result.exit_code = int(match.group(1))
        result.output = result.stdout[:match.start()]
        elapsed = re.search(r"^elapsed_ms=([\d.]+)", result.stdout, re.M)
        result.elapsed_ms = float(elapsed.group(1)) if elapsed else None
        result.events = [_unescape(m) for m in EVENT_TRACE.findall(result.stderr)]
        for match in EVENT_CALL.findall(result.stderr):
            fields = [int(x, 16) for x in match.split(",")]
            # WORD arguments arrive in 64-bit registers whose upper bits Wine prints too.
            result.event_calls.append((fields[1] & 0xFFFF, fields[2] & 0xFFFF,
                                       fields[3] & 0xFFFFFFFF, fields[4], fields[5] & 0xFFFF,
                                       fields[6] & 0xFFFFFFFF, fields[8]))
        return result

    def drive(self, *args, debug="-all", timeout=120):
        """Runs the configuration program's driver, tools/config-driver, with these arguments
        ("run PROGRAM STEP..." or "task show|create"); gives what it printed."""
        # Its first line, "acp=", comes before it starts anything.
        result = self.wine_started([os.path.join(self.build, "tools", "config_driver.exe"), *args],
                                   lambda run: run.exit_code == 0 or "=" in run.stdout,
                                   debug=debug, timeout=timeout)
        return DriverOutput(result.stdout, result.exit_code, result.stderr)

    # -- registry ---------------------------------------------------------------------------
    def reg_add(self, key, name, kind, data):
        """Sets one value and leaves the key's others as they are."""
        args = ["reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f"]
        result = self.wine(args)
        if result.exit_code != 0:
            raise RuntimeError(f"wine {' '.join(args)} failed: {result.stdout}{result.stderr}")


    def reg_values(self, key, view=()):
        """Every value of a registry key as {name: (type, data as `reg query` prints it)}, or None
        when the key does not exist; `view`: ["/reg:32"] or ["/reg:64"] for one registry view."""
        # reg says why it failed, also of a key that does not exist.
        result = self.wine_started(["reg", "query", key, *view])
        if result.exit_code != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
        return values


    def reg_import(self, keys):
        """Replaces whole keys in one regedit run (a fraction of the time of one `reg` call per
        value). `keys` maps a key ("HKLM\\...") to {value name: text (REG_SZ) or int (REG_DWORD)},
        or to None to delete the key. Texts are written in code page 1252."""
        def quoted(text):
            return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'

        lines = ["REGEDIT4", ""]
        for key, values in keys.items():
            root, _, path = key.partition("\\")
            full = _REG_ROOTS.get(root.upper(), root) + "\\" + path
            lines += [f"[-{full}]", ""]
            if values is not None:
                lines.append(f"[{full}]")
                for name, value in values.items():
                    data = (f"dword:{value & 0xFFFFFFFF:08x}" if isinstance(value, int)
                            else quoted(value))
                    lines.append(f"{quoted(name)}={data}")
                lines.append("")
        reg_file = self.unix_path(r"C:\ferrolink-test\import.reg")
        os.makedirs(os.path.dirname(reg_file), exist_ok=True)
        with open(reg_file, "wb") as f:
            f.write("\r\n".join(lines + [""]).encode("cp1252"))
        # The whole keys again: a second run finds the same file and leaves the same keys.
        result = self.wine_started(["regedit", "/S", r"C:\ferrolink-test\import.reg"])
        if result.exit_code != 0:
            raise RuntimeError(f"regedit failed: {result.stdout}{result.stderr}")

    def job_files(self):
        """The work item's file, which the Task Scheduler keeps under either spelling."""
        return [path for path in
                glob.glob(os.path.join(self.prefix, "drive_c", "windows", "[Tt]asks", "*.job"))
                if os.path.basename(path).lower() == WORK_ITEM.lower() + ".job"]

    # -- the system's programs --------------------------------------------------------------
    def trace_calls(self):
        """Wine's relay trace (WINEDEBUG +relay) shows the calls of RELAY_CALLS alone."""
        self.reg_add(r"HKCU\Software\Wine\Debug", "RelayInclude", "REG_SZ", RELAY_CALLS)

    def install_connector(self):
        """Copies the connector where an installation puts it; returns its Windows path."""
        # Wine's relay trace shows the fields of every reported event (launch()).
        self.trace_calls()
        target = self.unix_path(CONNECTOR_FOLDER)
        os.makedirs(target, exist_ok=True)
        shutil.copy(os.path.join(self.build, "connector", "Ferrolink.exe"), target)
        return CONNECTOR_FOLDER + "\\Ferrolink.exe"


# -- what the configuration program's driver printed (end-to-end and setup tests, demo) --------
class DriverOutput:
    """What one run of config_driver.exe printed: its key=value lines, each value decoded from the
    driver's escapes and from the system code page that it names ("acp")."""

    def __init__(self, stdout, exit_code=0, stderr=""):
        raw = [(k, codecs.escape_decode(v.encode("latin-1"))[0])
               for k, sep, v in (line.partition("=") for line in stdout.splitlines()) if sep]
        acp = next((v for k, v in raw if k == "acp"), b"1252").decode()
        self.lines = [(k, v.decode(f"cp{acp}")) for k, v in raw]
        self.stdout, self.exit_code, self.stderr = stdout, exit_code, stderr

    def all(self, key):
        """Every value printed under `key`, in order."""
        return [v for k, v in self.lines if k == key]

    def __getitem__(self, key):
        """The last value printed under `key`; KeyError, with the whole output, when none was."""
        values = self.all(key)
        if not values:
            raise KeyError(f"{key} not observed; the driver printed:\n{self.stdout}")
        return values[-1]

    def dumps(self, window):
        """Each dump of a window as its (key, value) lines in order, for comparing moments."""
        result, current = [], None
        for k, v in self.lines:
            if k == "dump":
                current = [] if v == window else None
                result += [] if current is None else [current]
            elif current is not None and k.startswith(window + "."):
                current.append((k, v))
        return result


def runs_32bit_programs():
    """Whether this machine runs Wine's 32-bit half, without which no 32-bit Windows program
    starts: a kernel with its 32-bit support switched off (ia32_emulation) cannot."""
    try:
        return subprocess.run(["/usr/lib/wine/wine", "--version"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def _said_anything(run):
    """Whether a run succeeded or wrote anything."""
    return run.exit_code == 0 or bool(run.stdout or run.stderr)


def error_modes(stderr):
    """The modes that a relay trace (trace_calls) shows given to SetErrorMode, in order."""
    return [int(mode, 16) for mode in ERROR_MODE_CALL.findall(stderr)]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("action", choices=["init"])
    args = parser.parse_args()
    WinePrefix(args.prefix, args.build).init()


if __name__ == "__main__":
    main()
