"""The simulated VPN client in a Wine prefix (winelab.WinePrefix): its program, profile files and
registry key as an installation leaves them, the script that tells it how to answer, the
journal of its runs and the tunnel flag it keeps."""
import os
import shutil

VPN_CLIENT_KEY = r"HKLM\Software\Cisco Systems\VPN Client"
SIM_FOLDER = r"C:\Program Files\Cisco Systems\VPN Client"


def unix_folder(prefix):
    """The client's folder in the prefix, as a Unix path."""
    return prefix.unix_path(SIM_FOLDER)


def install(prefix, profiles=None, install_path=SIM_FOLDER + "\\"):
    """Installs the simulated client: its program, a profile folder, its registry key
    with "InstallPath" and a tunnel that is down. Clears its script and journal."""
    write_profiles(prefix, profiles or {"Office": {"Username": "jo", "Password": "secret"}})
    shutil.copy(os.path.join(prefix.build, "tools", "vpnclient.exe"), unix_folder(prefix))
    script(prefix, "")
    clear_journal(prefix)
    prefix.reg_import({VPN_CLIENT_KEY: {"InstallPath": install_path, "TunnelEstablished": 0}})


def write_profiles(prefix, profiles):
    """Replaces the client's profile files: {name: {key: value}} in the profile's [main]."""
    folder = os.path.join(unix_folder(prefix), "profiles")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, settings in profiles.items():
        with open(os.path.join(folder, name + ".pcf"), "w", newline="\r\n") as f:
            f.write("[main]\n" + "".join(f"{key}={value}\n" for key, value in settings.items()))


def script(prefix, text):
    """Replaces the client's script (simulator.ini): how its next runs answer."""
    with open(os.path.join(unix_folder(prefix), "simulator.ini"), "w") as f:
        f.write(text)


def clear_journal(prefix):
    path = os.path.join(unix_folder(prefix), "journal.txt")
    if os.path.exists(path):
        os.remove(path)


def journal(prefix):
    """The simulated client's runs: a list of (show state, parameters)."""
    path = os.path.join(unix_folder(prefix), "journal.txt")
    if not os.path.exists(path):
        return []
    runs = []
    with open(path, "rb") as f:
        for line in f.read().decode("latin-1").split("\r\n"):
            if line:
                show, _, params = line.partition(" params=")
                runs.append((show.removeprefix("show="), params))
    return runs


def tunnel_flag(prefix):
    value = (prefix.reg_values(VPN_CLIENT_KEY) or {}).get("TunnelEstablished")
    return None if value is None else int(value[1], 0)
