#!/usr/bin/env python3
"""What FerrolinkConfig_WIN.exe's resources promise beyond what its dialogs show when run: the
order in which Tab walks each dialog's controls and the styles that hide a password or make a
button the default, the icons' format, the version block and the manifest.
FERROLINK_CONFIG_PROGRAM names the program file (ctest sets it)."""
import os
import struct
import unittest

import pefile

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST = 3, 5, 14, 24
WS_TABSTOP, BS_DEFPUSHBUTTON, ES_PASSWORD, CBS_SORT = 0x10000, 0x1, 0x20, 0x100
BUTTON, EDIT, STATIC, COMBOBOX = 0x80, 0x81, 0x82, 0x85
# A control's id, class and the style bits set (+) or clear (-) that the dialog relies on.
TEMPLATES = {
    102: [(1013, COMBOBOX, CBS_SORT | WS_TABSTOP, 0), (1008, EDIT, WS_TABSTOP, ES_PASSWORD),
          (1009, EDIT, ES_PASSWORD | WS_TABSTOP, 0), (1017, BUTTON, WS_TABSTOP, BS_DEFPUSHBUTTON),
          (1022, COMBOBOX, WS_TABSTOP, CBS_SORT), (1, BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 0),
          (2, BUTTON, WS_TABSTOP, BS_DEFPUSHBUTTON), (1000, BUTTON, 0, WS_TABSTOP)]
    + [(-1, STATIC, 0, WS_TABSTOP)] * 3 + [(1016, BUTTON, WS_TABSTOP, 0), (-1, BUTTON, 0, WS_TABSTOP),
                                           (1018, STATIC, 0, WS_TABSTOP)]
    + [(-1, STATIC, 0, WS_TABSTOP)] * 2 + [(1019, STATIC, 0, WS_TABSTOP)],
    103: [(1015, EDIT, ES_PASSWORD | WS_TABSTOP, 0), (1, BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 0),
          (2, BUTTON, WS_TABSTOP, BS_DEFPUSHBUTTON), (1016, EDIT, WS_TABSTOP, ES_PASSWORD)]
    + [(-1, STATIC, 0, WS_TABSTOP)] * 3,
    121: [(1, BUTTON, BS_DEFPUSHBUTTON, 0), (-1, STATIC, 0, WS_TABSTOP), (1023, STATIC, 0, WS_TABSTOP)]
    + [(i, STATIC, 0, WS_TABSTOP) for i in (1024, 1025, 1026)],
    100: [(-1, STATIC, 0, WS_TABSTOP), (-1, STATIC, 0, WS_TABSTOP), (1, BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 0)],
}


def controls(data):
    """(id, class, style) of each control of a classic or extended dialog template."""
    view = {"at": 0}

    def take(fmt):
        values = struct.unpack_from("<" + fmt, data, view["at"])
        view["at"] += struct.calcsize("<" + fmt)
        return values

    def name():  # an ordinal (0xFFFF, id) or a NUL-terminated UTF-16 text
        if data[view["at"]:view["at"] + 2] == b"\xff\xff":
            return take("HH")[1]
        end = view["at"]
        while data[end:end + 2] != b"\0\0":
            end += 2
        text, view["at"] = data[view["at"]:end].decode("utf-16-le"), end + 2
        return text

    extended = data[:4] == b"\x01\x00\xff\xff"
    style = take("HHIII")[4] if extended else take("II")[0]
    count = take("Hhhhh")[0]
    name(), name(), name()  # menu, class, caption
    if style & 0x40:  # DS_SETFONT: the point size (weight, italic, charset), the face
        take("HHBB" if extended else "H")
        name()
    found = []
    for _ in range(count):
        view["at"] = (view["at"] + 3) & ~3
        if extended:
            _, _, style, *_, ident = take("IIIhhhhi")
        else:
            style, *_, ident = take("IIhhhhh")
        kind = name()
        name()
        extra = take("H")[0]  # the bytes of creation data that follow
        view["at"] += extra
        found.append((ident, kind, style))
    return found


class ProgramResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(os.environ["FERROLINK_CONFIG_PROGRAM"])
        cls.found = {}
        for kind in cls.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            for entry in kind.directory.entries:
                for language in entry.directory.entries:
                    data = language.data.struct
                    cls.found[(kind.id, entry.id)] = cls.pe.get_data(data.OffsetToData, data.Size)

    def test_dialogs_controls_in_tab_order_with_the_styles_relied_on(self):
        for template, expected in TEMPLATES.items():
            found = controls(self.found[(RT_DIALOG, template)])
            self.assertEqual([(i, k) for i, k, _ in found], [(i, k) for i, k, _, _ in expected], template)
            for (ident, _, style), (_, _, required, cleared) in zip(found, expected):
                self.assertEqual((style & required, style & cleared), (required, 0), (template, ident))

    def test_icons_are_32_by_32_with_16_colours(self):
        for ident in (128, 136, 137, 139):
            _, kind, count, width, height, colours, _, _, bits, _, icon = struct.unpack(
                "<HHHBBBBHHIH", self.found[(RT_GROUP_ICON, ident)])
            self.assertEqual((kind, count, width, height, colours, bits), (1, 1, 32, 32, 16, 4), ident)
            self.assertEqual(struct.unpack_from("<IiiHH", self.found[(RT_ICON, icon)]), (40, 32, 64, 1, 4), ident)

    def test_version_block(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                          fixed.ProductVersionLS, fixed.FileType), (4, 0, 4, 0, 1))
        tables = [t for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo" for t in info.StringTable]
        self.assertEqual([(t.LangID, t.entries) for t in tables], [(b"040904B0", {
            b"Comments": b"", b"CompanyName": b"", b"FileDescription": b"FerrolinkConfig_WIN MFC Application",
            b"FileVersion": b"0, 4, 0, 0", b"InternalName": b"FerrolinkConfig_WIN",
            b"OriginalFilename": b"FerrolinkConfig_WIN.EXE", b"ProductName": b"FerrolinkConfig_WIN Application",
            b"ProductVersion": b"0, 4, 0, 0"})])
        self.assertEqual([var.entry for info in self.pe.FileInfo[0] if info.Key == b"VarFileInfo"
                          for var in info.Var], [{b"Translation": "0x0409 0x04b0"}])

    def test_manifest_asks_for_current_controls_and_administrator(self):
        manifests = [data for (kind, _), data in self.found.items() if kind == RT_MANIFEST]
        self.assertEqual(len(manifests), 1)
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', manifests[0].decode())
        self.assertIn('level="requireAdministrator"', manifests[0].decode())


if __name__ == "__main__":
    unittest.main()
