#!/usr/bin/env python3
"""On 64-bit Windows the VPN client's key is in the registry view of the client's own bitness:
the connector of either bitness finds it in the other view when its own has none, and reads
the tunnel's state from the view where it found the key. Both connectors on one 64-bit prefix."""
import os, shutil, sys, unittest

sys.path.insert(0, os.path.join(os.environ["FERROLINK_SOURCE"], "tools"))
import simclient  # noqa: E402
from simclient import SIM_FOLDER, VPN_CLIENT_KEY  # noqa: E402
from winelab import WinePrefix, runs_32bit_programs  # noqa: E402

PREFIX = WinePrefix(os.environ["WINEPREFIX"], os.environ["FERROLINK_BUILD"])
CONNECTOR_32 = r"C:\Program Files (x86)\Ferrolink\Ferrolink.exe"
KEY_32 = VPN_CLIENT_KEY.replace("Software", r"Software\Wow6432Node", 1)


class ClientKeyInTheOtherView(unittest.TestCase):
    def test_either_connector_finds_the_key_and_its_tunnel_state_in_the_other_view(self):
        PREFIX.init()
        os.makedirs(os.path.dirname(PREFIX.unix_path(CONNECTOR_32)), exist_ok=True)
        shutil.copy(os.path.join(os.environ["FERROLINK_BUILD_32"], "connector", "Ferrolink.exe"),
                    PREFIX.unix_path(CONNECTOR_32))
        connectors = {"64-bit": PREFIX.install_connector(), "32-bit": CONNECTOR_32}
        # A key left in the 32-bit view would be found by every later test's programs.
        self.addCleanup(PREFIX.reg_import, {KEY_32: None})
        connect = ["stat", 'connect "Office" user "jo" pwd "secret"']
        rows = [  # connector, view that holds the key, tunnel flag, events, client commands
            ("64-bit", "/reg:32", 0, ["VPN connection established."], connect),
            ("64-bit", "/reg:32", 1, [], ["stat"]),
            ("32-bit", "/reg:64", 0, ["VPN connection established."], connect),
            ("32-bit", "/reg:64", 1, [], ["stat"]),
        ]
        for bits, view, flag, events, commands in rows:
            with self.subTest(connector=bits, key=view, tunnel=flag):
                if bits == "32-bit" and not runs_32bit_programs():
                    self.skipTest("this machine cannot run 32-bit programs")
                simclient.install(PREFIX)
                # One import writes the key into one view and deletes it from the other: the
                # 32-bit view is the 64-bit registry's Wow6432Node.
                key = {"/reg:32": KEY_32, "/reg:64": VPN_CLIENT_KEY}
                values = {"InstallPath": SIM_FOLDER + "\\", "TunnelEstablished": flag}
                PREFIX.reg_import({key[v]: values if v == view else None for v in key})
                result = PREFIX.launch(f'"{connectors[bits]}" "Office" -u "jo" -p "secret"')
                self.assertEqual((result.exit_code, result.events,
                                  [params for _, params in simclient.journal(PREFIX)]),
                                 (0, events, commands))


if __name__ == "__main__":
    unittest.main()
