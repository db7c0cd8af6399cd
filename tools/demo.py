#!/usr/bin/env python3
"""The main job on the simulated VPN client: the configuration program, driven through its real
dialog, creates the scheduled task "Ferrolink"; the stored work item is read back and its command
line started as Windows' scheduler starts it; the connector keeps the tunnel up. Shows each
run's exit code and its event-log messages. With "config": opens the configuration program on
the same prefix, on the user's display when DISPLAY is set (press OK there yourself), otherwise
under Xvfb, saving a screenshot; then prints the work item it stored."""
import contextlib
import os
import shutil
import sys

import simclient
from display import draw_title_bars, save_png, xvfb_display
from winelab import CONFIG, CONNECTOR_FOLDER, SETTINGS_KEY, WORK_ITEM, WinePrefix

PROFILE_LIST, USER_EDIT, PASSWORD_EDIT = CONFIG["IDC_PROFILE_COMBO"], \
    CONFIG["IDC_PROFILE_USER_EDIT"], CONFIG["IDC_PROFILE_PASSWORD_EDIT"]
INTERVAL_LIST, CHECK_TEXT, ACCOUNT_PASSWORD = CONFIG["IDC_INTERVAL_COMBO"], \
    CONFIG["IDC_CHECK_STATIC"], CONFIG["IDC_ACCOUNT_PASSWORD_EDIT"]
IDOK, IDCANCEL = 1, 2


def main(prefix_dir, build_dir, mode):
    prefix = WinePrefix(prefix_dir, build_dir)
    # Every Wine program of the run must see the display that the dialog is shown on.
    headless = mode == "connector" or not os.environ.get("DISPLAY")
    with xvfb_display() if headless else contextlib.nullcontext():
        prefix.init()
        prefix.start_server()
        try:
            if mode == "config":
                show_config_program(prefix, screenshot=headless)
            else:
                run_demo(prefix)
        finally:
            prefix.stop_server()


def install(prefix):
    """The simulated client with its profile "Office", the connector and the configuration
    program where an installation puts them, and the settings key's "InstallPath"."""
    simclient.install(prefix, profiles={"Office": {"Username": "jo", "Password": "secret"},
                                        "Home": {}})
    prefix.install_connector()
    shutil.copy(os.path.join(prefix.build, "config", "FerrolinkConfig_WIN.exe"),
                prefix.unix_path(CONNECTOR_FOLDER))
    prefix.reg_import({SETTINGS_KEY: {"InstallPath": CONNECTOR_FOLDER}})
    for job in prefix.job_files():
        os.remove(job)
    draw_title_bars(prefix, "FerrolinkConfig_WIN.exe")
    return CONNECTOR_FOLDER + "\\FerrolinkConfig_WIN.exe"


def show_work_item(prefix):
    """Prints the stored work item and gives its command line as the scheduler builds it."""
    fields = prefix.drive("task", "show")
    if fields.all("task.exists") != ["1"]:
        print(f'  no work item "{WORK_ITEM}" is stored')
        return None
    application, parameters = fields["task.application"], fields["task.parameters"]
    print(f'  the stored work item "{WORK_ITEM}", read back through the Task Scheduler:')
    print(f"    application  {application}")
    print(f"    parameters   {parameters}")
    print(f"    triggers     {fields['task.triggers']}: daily from "
          f"{fields['trigger.0.wBeginYear']}-{int(fields['trigger.0.wBeginMonth']):02}-"
          f"{int(fields['trigger.0.wBeginDay']):02} {int(fields['trigger.0.wStartHour']):02}:"
          f"{int(fields['trigger.0.wStartMinute']):02}, "
          f"every {fields['trigger.0.MinutesInterval']} "
          f"minutes for {fields['trigger.0.MinutesDuration']} minutes")
    print(f"    longest run  {int(fields['task.maxruntime']) // 60000} minutes, "
          "then the Task Scheduler ends it")
    print(f"    account      (Wine keeps none: {fields['task.account.hr']})")
    return f'"{application}" {parameters}'


def show_config_program(prefix, screenshot):
    print("The configuration program on the demo's prefix, with the SIMULATED VPN client:")
    program = install(prefix)
    if not screenshot:
        print(f"  opening {program} on display {os.environ['DISPLAY']}: choose a profile (Office's "
              "user name is jo, its password secret), an interval, and press OK")
        prefix.wine([prefix.unix_path(program)], timeout=None)
        show_work_item(prefix)
        return
    # No display: show it under Xvfb, capture it, and cancel it, through the test driver.
    bmp = r"C:\ferrolink-demo\config.bmp"
    os.makedirs(os.path.dirname(prefix.unix_path(bmp)), exist_ok=True)
    out = prefix.drive("run", program, "main", "dump:main", f"shot:main:{bmp}",
                       f"press:main:{IDCANCEL}", "exit")
    texts = (f"main.{i}.text" for i in (PROFILE_LIST, INTERVAL_LIST, CHECK_TEXT))
    for key in ("main.title", *texts, "exit", "fail"):
        if out.all(key):
            print(f"  {key}={out[key]}")
    png = os.path.abspath(os.path.join(os.path.dirname(prefix.prefix), "config-main-dialog.png"))
    save_png(prefix.unix_path(bmp), png)
    print(f"  no display: shown under Xvfb; screenshot saved as {png}")


def run_demo(prefix):
    print("Setting up a private Wine prefix with the SIMULATED VPN client (not the real one):")
    program = install(prefix)
    print(f"  connector and configuration program in {CONNECTOR_FOLDER}\n")
    print("== The administrator configures the task in the configuration program (driven):")
    print("   profile Office, user name jo, password secret, every 5 minutes, OK;")
    print("   the Windows account: the logged-on user and its password, OK")
    out = prefix.drive("run", program, "main", f"select:main:{PROFILE_LIST}:Office",
                       f"settext:main:{USER_EDIT}:jo", f"settext:main:{PASSWORD_EDIT}:secret",
                       f"select:main:{INTERVAL_LIST}:5 minutes", f"press:main:{IDOK}", "popup",
                       f"settext:popup:{ACCOUNT_PASSWORD}:windows-password",
                       f"press:popup:{IDOK}", "exit")
    outcome = [f"{key}={value}" for key in ("exit", "fail") for value in out.all(key)]
    print("   the program ended: " + ", ".join(outcome) + "\n")
    command_line = show_work_item(prefix)
    if command_line is None:
        raise SystemExit("the configuration program stored no work item")
    print(f"  the command line the scheduler starts: {command_line}\n")

    def tick(title):
        result = prefix.launch(command_line)
        print(f"== {title}")
        print(f"   exit code {result.exit_code}; event log: "
              + (", ".join(f'"{e}"' for e in result.events) if result.events else "(nothing)"))
        print(f"   tunnel up: {'yes' if simclient.tunnel_flag(prefix) else 'no'}\n")

    print(f"Tunnel up at the start: {'yes' if simclient.tunnel_flag(prefix) else 'no'}\n")
    tick("Run 1: tunnel down, the task's connector connects")
    tick("Run 2: tunnel up, nothing happens")
    prefix.wine([os.path.join(simclient.unix_folder(prefix), "vpnclient.exe"), "disconnect"])
    print(f"== The tunnel drops (simulated client disconnected); tunnel up: "
          f"{'yes' if simclient.tunnel_flag(prefix) else 'no'}\n")
    tick("Run 3: the next run brings it back")
    print("What the simulated client was asked, in order (show state 0 = hidden):")
    for show, params in simclient.journal(prefix):
        print(f"   show={show} {params}")
    status = prefix.launch(f'"{CONNECTOR_FOLDER}\\FerrolinkConfig_WIN.exe" /status', stdio=b"",
                           debug="-all")
    print("\n== The machine's state, as a monitoring system asks for it: "
          f"FerrolinkConfig_WIN.exe /status (exit code {status.exit_code})")
    for line in status.output.splitlines():
        print(f"   {line}")


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] != "config"):
        sys.exit("usage: demo.py <wine prefix> <windows build dir> [config]")
    main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else "connector")
