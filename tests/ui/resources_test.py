#!/usr/bin/env python3
"""What FerrolinkConfig_WIN.exe's resources promise that its running dialogs cannot show: the
icons' format and the manifest. FERROLINK_CONFIG_PROGRAM names the program
file (ctest sets it)."""
import os, struct, unittest

import pefile

RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24


class ProgramResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(os.environ["FERROLINK_CONFIG_PROGRAM"])
        cls.found = {(kind.id, entry.id): cls.pe.get_data(language.data.struct.OffsetToData,
                                                          language.data.struct.Size)
                     for kind in cls.pe.DIRECTORY_ENTRY_RESOURCE.entries
                     for entry in kind.directory.entries
                     for language in entry.directory.entries}

    def test_icons_are_32_by_32_with_16_colours(self):
        for ident in (128, 136, 137, 139):
            _, kind, count, width, height, colours, _, _, bits, _, icon = struct.unpack(
                "<HHHBBBBHHIH", self.found[(RT_GROUP_ICON, ident)])
            self.assertEqual((kind, count, width, height, colours, bits), (1, 1, 32, 32, 16, 4),
                             ident)
            self.assertEqual(struct.unpack_from("<IiiHH", self.found[(RT_ICON, icon)]),
                             (40, 32, 64, 1, 4), ident)

    def test_manifest_asks_for_current_controls_and_administrator(self):
        manifests = [data for (kind, _), data in self.found.items() if kind == RT_MANIFEST]
        self.assertEqual(len(manifests), 1)
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                      manifests[0].decode())
        self.assertIn('level="requireAdministrator"', manifests[0].decode())


if __name__ == "__main__":
    unittest.main()
