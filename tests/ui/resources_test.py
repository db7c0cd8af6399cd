#!/usr/bin/env python3
"""Reads the resources of FerrolinkConfig_WIN.exe back and checks them against what the program
and a replacing "Lang.dll" rely on: the three dialog templates control by control, the string
table, the interval list kept as initialisation data, the icons, the version block and the
manifest.

FERROLINK_CONFIG_PROGRAM names the program file (ctest sets it).
"""
import os
import struct
import unittest

import pefile

RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24
RT_DIALOG_INIT = 240
ENGLISH_US, NEUTRAL = 0x409, 0

WS_POPUP, WS_VISIBLE, WS_DISABLED, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x10000000, 0x08000000, 0x00C00000, 0x00080000
WS_BORDER, WS_VSCROLL, WS_GROUP, WS_TABSTOP = 0x00800000, 0x00200000, 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT, WS_EX_APPWINDOW = 0x80, 0x40, 0x40000
BUTTON, EDIT, STATIC, COMBOBOX = 0x80, 0x81, 0x82, 0x85
BS_DEFPUSHBUTTON, BS_GROUPBOX = 0x1, 0x7
ES_PASSWORD, ES_AUTOHSCROLL = 0x20, 0x80
SS_ICON, SS_NOPREFIX, SS_CENTERIMAGE, SS_SUNKEN, SS_LEFTNOWORDWRAP = 0x3, 0x80, 0x200, 0x1000, 0xC
SS_TYPE_MASK = 0x1F  # SS_LEFT, the wrapping left-aligned text, is 0
SS_REALSIZEIMAGE, SS_TYPEMASK = 0x800, 0x1F
CBS_DROPDOWNLIST, CBS_AUTOHSCROLL, CBS_SORT = 0x3, 0x40, 0x100


def resources(pe):
    """{(type, id, language): bytes}"""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                entry = language.data.struct
                found[(kind.id, name.id, language.id)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name(self):
        if struct.unpack_from("<H", self.data, self.at)[0] == 0xFFFF:
            self.at += 2
            return self.take("H")
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def parse_dialog(data):
    """The template's header and controls, for the classic and the extended form."""
    r = Reader(data)
    extended = data[:4] == b"\x01\x00\xff\xff"
    if extended:
        r.take("HH")
        _, ex_style, style = r.take("III")
    else:
        style, ex_style = r.take("II")
    count, x, y, cx, cy = r.take("Hhhhh")
    dialog = {"style": style, "ex_style": ex_style, "rect": (x, y, cx, cy),
              "menu": r.name(), "class": r.name(), "caption": r.text()}
    if style & DS_SETFONT:
        dialog["point_size"] = r.take("H")
        if extended:
            r.take("HBB")
        dialog["font"] = r.text()
    controls = []
    for _ in range(count):
        r.align()
        if extended:
            _, ex, st, x, y, cx, cy, ident = r.take("IIIhhhhi")
        else:
            st, ex, x, y, cx, cy, ident = r.take("IIhhhhh")
        kind, text = r.name(), r.name()
        extra = r.take("H")
        r.at += extra
        controls.append({"id": ident, "class": kind, "text": text, "style": st, "ex_style": ex,
                         "rect": (x, y, cx, cy)})
    dialog["controls"] = controls
    return dialog


def strings(found):
    table = {}
    for (kind, block, _), data in found.items():
        if kind != RT_STRING:
            continue
        r = Reader(data)
        for index in range(16):
            length = r.take("H")
            if length:
                table[(block - 1) * 16 + index] = data[r.at:r.at + 2 * length].decode("utf-16-le")
            r.at += 2 * length
    return table


class ProgramResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(os.environ["FERROLINK_CONFIG_PROGRAM"])
        cls.found = resources(cls.pe)

    def resource(self, kind, ident, language):
        key = (kind, ident, language)
        self.assertIn(key, self.found)
        return self.found[key]

    def check_controls(self, controls, expected):
        self.assertEqual(len(controls), len(expected))
        for control, (ident, kind, text, rect, style_set, style_clear) in zip(controls, expected):
            where = f"control {ident} {text!r}"
            self.assertEqual((control["id"], control["class"], control["text"], control["rect"]),
                             (ident, kind, text, rect), where)
            self.assertEqual(control["style"] & style_set, style_set, where)
            self.assertEqual(control["style"] & style_clear, 0, where)

    def test_about_box_template(self):
        dialog = parse_dialog(self.resource(RT_DIALOG, 100, NEUTRAL))
        self.assertEqual(dialog["caption"], "About FerrolinkConfig_WIN")
        self.assertEqual(dialog["style"] & ~DS_SETFONT, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU)
        self.assertEqual((dialog["rect"][2:], dialog["point_size"], dialog["font"]), ((235, 55), 8, "MS Sans Serif"))
        self.check_controls(dialog["controls"], [
            (-1, STATIC, 128, (11, 17, 20, 20), SS_ICON, 0),
            (-1, STATIC, "FerrolinkConfig - Ver 1.0", (35, 10, 119, 8), SS_NOPREFIX, 0),
            (1, BUTTON, "OK", (178, 7, 50, 14), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0),
        ])

    def test_main_dialog_template_in_tab_order(self):
        dialog = parse_dialog(self.resource(RT_DIALOG, 102, ENGLISH_US))
        self.assertEqual(dialog["caption"], "Ferrolink Config")
        self.assertEqual(dialog["style"] & ~DS_SETFONT,
                         DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU)
        self.assertEqual(dialog["ex_style"], WS_EX_APPWINDOW)
        self.assertEqual((dialog["rect"][2:], dialog["point_size"], dialog["font"]), ((192, 236), 8, "MS Sans Serif"))
        label = SS_LEFTNOWORDWRAP | WS_GROUP
        sunken = SS_SUNKEN | SS_CENTERIMAGE | SS_LEFTNOWORDWRAP | WS_GROUP
        edit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP
        self.check_controls(dialog["controls"], [
            (1013, COMBOBOX, "", (15, 30, 160, 65),
             CBS_DROPDOWNLIST | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0),
            (1008, EDIT, "", (15, 60, 160, 12), edit, ES_PASSWORD),
            (1009, EDIT, "", (15, 90, 160, 12), edit | ES_PASSWORD, 0),
            (1017, BUTTON, "&Test configuration", (50, 110, 90, 12), WS_TABSTOP, BS_DEFPUSHBUTTON),
            (1022, COMBOBOX, "", (15, 190, 85, 155), CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, CBS_SORT),
            (1, BUTTON, "&OK", (10, 215, 80, 14), BS_DEFPUSHBUTTON | WS_TABSTOP, 0),
            (2, BUTTON, "&Cancel", (100, 215, 80, 14), WS_TABSTOP, BS_DEFPUSHBUTTON),
            (1000, BUTTON, "Cisco VPN Client Setup", (5, 6, 180, 124), BS_GROUPBOX, 0),
            (-1, STATIC, "Username:", (15, 50, 36, 8), label, 0),
            (-1, STATIC, "Password:", (15, 80, 36, 8), label, 0),
            (-1, STATIC, "Profile:", (15, 20, 35, 9), label, 0),
            (1016, BUTTON, "O&dstranit", (140, 190, 35, 12), WS_TABSTOP | WS_DISABLED, WS_VISIBLE),
            (-1, BUTTON, "Automatic connection check setting", (5, 135, 180, 75), BS_GROUPBOX, 0),
            (1018, STATIC, "no task", (150, 165, 25, 12), sunken, WS_VISIBLE),
            (-1, STATIC, "Current automatic check setting:", (15, 150, 160, 9), label, 0),
            (-1, STATIC, "Set automatic check interval:", (15, 180, 160, 9), label, 0),
            (1019, STATIC, "no checking set", (15, 160, 85, 12), sunken | WS_VISIBLE, 0),
        ])

    def test_credentials_dialog_template_in_tab_order(self):
        dialog = parse_dialog(self.resource(RT_DIALOG, 103, ENGLISH_US))
        self.assertEqual(dialog["caption"], "Windows login credentials")
        self.assertEqual(dialog["style"] & ~DS_SETFONT, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU)
        self.assertEqual((dialog["rect"][2:], dialog["point_size"], dialog["font"]), ((222, 94), 8, "MS Sans Serif"))
        edit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP
        label = SS_CENTERIMAGE  # left aligned: no other kind of static
        self.check_controls(dialog["controls"], [
            (1015, EDIT, "", (90, 50, 115, 15), edit | ES_PASSWORD, 0),
            (1, BUTTON, "&OK", (45, 75, 50, 14), BS_DEFPUSHBUTTON | WS_TABSTOP, 0),
            (2, BUTTON, "&Cancel", (130, 75, 50, 14), WS_TABSTOP, BS_DEFPUSHBUTTON),
            (1016, EDIT, "", (90, 30, 115, 15), edit, ES_PASSWORD),
            (-1, STATIC, "Username:", (15, 30, 60, 15), label, SS_TYPE_MASK | WS_TABSTOP),
            (-1, STATIC, "Password:", (15, 50, 60, 15), label, SS_TYPE_MASK | WS_TABSTOP),
            (-1, STATIC, "Type the Windows user account that runs the scheduled task and provide "
                         "a password for the account.", (5, 5, 210, 20), 0,
             SS_TYPE_MASK | SS_CENTERIMAGE | WS_TABSTOP),
        ])

    def test_test_dialog_template(self):
        dialog = parse_dialog(self.resource(RT_DIALOG, 121, ENGLISH_US))
        self.assertEqual(dialog["caption"], "Testing the VPN Client settings")
        self.assertEqual(dialog["style"] & ~DS_SETFONT, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU)
        self.assertEqual((dialog["rect"][2:], dialog["point_size"], dialog["font"]), ((187, 70), 8, "MS Sans Serif"))
        icon = SS_ICON | SS_REALSIZEIMAGE
        self.check_controls(dialog["controls"], [
            (1, BUTTON, "&OK", (65, 50, 50, 14), WS_VISIBLE | BS_DEFPUSHBUTTON, WS_DISABLED),
            (-1, STATIC, "The test of VPN Client settings is beeing performed:", (5, 5, 165, 10),
             WS_VISIBLE | SS_LEFTNOWORDWRAP, 0),
            (1023, STATIC, "Wait please ...", (40, 20, 140, 20), WS_VISIBLE, SS_TYPEMASK),
            (1024, STATIC, 136, (10, 20, 21, 20), icon, WS_VISIBLE),
            (1025, STATIC, 137, (10, 20, 21, 20), icon | WS_VISIBLE, 0),
            (1026, STATIC, 139, (10, 20, 21, 20), icon, WS_VISIBLE),
        ])
        # The label is left-aligned without word wrap, and so is nothing but that.
        self.assertEqual(dialog["controls"][1]["style"] & SS_TYPEMASK, SS_LEFTNOWORDWRAP)

    def test_string_table_texts(self):
        table = strings(self.found)
        self.assertEqual(table, {
            101: "&About ...",
            102: "Error",
            103: "Cisco VPN Client not found.\n\nInstall the correct version of Cisco VPN Client "
                 "and execute the configuration application again.",
            104: "No profile seleced.\n\nSelect a profile and try again.",
            105: "Warning",
            106: "No profile username and/or password set. Do you want to continue?\n\nClick Yes "
                 "to continue with empty profile username and/or password, or click No to enter "
                 "new profile credentials.",
            107: "Unable to start the Task Scheduler service. The task will not be executing "
                 "until the service will be started.",
            108: "VPN Tunnel successfuly established.\n(VPN Tunnel will be disconnected)",
            109: "Error establishing VPN Tunnel (%s).",
            110: "Confirmation",
            111: "Do you really want to delete the task?\n\nClick Yes to delete the task or No to "
                 "leave the task active.",
            112: "Failed to delete the task.",
            113: "Task Scheduler is not running! Do you want to start the Task Scheduler?\n\nClick "
                 "Yes to start the Task Scheduler or No to leave it turned off.",
            114: "The specified username and password is invalid.\n\nEnter valid username and "
                 "password.",
            115: "no task",
            117: "no checking set",
            118: "once per %s mins",
            119: 'The profile username and password must not contain a double quote (").\n\nEnter '
                 "them without double quotes.",
        })

    def test_interval_items_as_initialisation_data(self):
        r = Reader(self.resource(RT_DIALOG_INIT, 102, ENGLISH_US))
        items = []
        while True:
            control = r.take("H")
            if control == 0:
                break
            message, length = r.take("HI")
            items.append((control, message, r.data[r.at:r.at + length]))
            r.at += length
        self.assertEqual(r.at, len(r.data))
        names = ["1 minute"] + [f"{n} minutes" for n in (2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60)]
        self.assertEqual(items, [(1022, 0x0403, (name + "\0").encode()) for name in names + ["disable checks"]])

    def test_icons_are_32_by_32_with_16_colours(self):
        icons = {}
        for ident in (128, 136, 137, 139):
            group = Reader(self.resource(RT_GROUP_ICON, ident, NEUTRAL))
            _, kind, count = group.take("HHH")
            self.assertEqual((kind, count), (1, 1), ident)
            width, height, colours, _, planes, bits, size, icon_id = group.take("BBBBHHIH")
            self.assertEqual((width, height, colours, bits), (32, 32, 16, 4), ident)
            image = self.resource(RT_ICON, icon_id, NEUTRAL)
            self.assertEqual(struct.unpack_from("<IiiHH", image), (40, 32, 64, 1, 4), ident)
            icons[ident] = image

        def pixel(image, x, y):  # palette colour (r, g, b) of a pixel, or None when transparent
            palette = [tuple(image[40 + 4 * i + k] for k in (2, 1, 0)) for i in range(16)]
            row = 31 - y
            mask = image[40 + 64 + 512 + row * 4 + x // 8]
            if mask & (0x80 >> (x % 8)):
                return None
            byte = image[40 + 64 + row * 16 + x // 2]
            return palette[byte >> 4 if x % 2 == 0 else byte & 0x0F]

        white, red, blue = (255, 255, 255), (255, 0, 0), (0, 0, 255)
        self.assertEqual(pixel(icons[136], 16, 16), white)  # the cross on the red circle
        self.assertEqual(pixel(icons[136], 16, 5), red)
        self.assertIsNone(pixel(icons[136], 0, 0))
        for ident in (137, 139):  # a blue sign in a white balloon
            balloon = [pixel(icons[ident], x, y) for y in range(32) for x in range(32)]
            self.assertIn(blue, balloon, ident)
            self.assertIn(white, balloon, ident)
        self.assertIsNone(pixel(icons[128], 0, 0))

    def test_version_block(self):
        self.resource(RT_VERSION, 1, ENGLISH_US)
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS), (0x00000004, 0))
        self.assertEqual((fixed.ProductVersionMS, fixed.ProductVersionLS), (0x00000004, 0))
        self.assertEqual(fixed.FileType, 1)  # an application
        tables = [table for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo"
                  for table in info.StringTable]
        self.assertEqual([table.LangID for table in tables], [b"040904B0"])
        self.assertEqual(tables[0].entries, {
            b"Comments": b"", b"CompanyName": b"",
            b"FileDescription": b"FerrolinkConfig_WIN MFC Application",
            b"FileVersion": b"0, 4, 0, 0", b"InternalName": b"FerrolinkConfig_WIN",
            b"OriginalFilename": b"FerrolinkConfig_WIN.EXE",
            b"ProductName": b"FerrolinkConfig_WIN Application", b"ProductVersion": b"0, 4, 0, 0",
        })
        translations = [var.entry for info in self.pe.FileInfo[0] if info.Key == b"VarFileInfo"
                        for var in info.Var]
        self.assertEqual(translations, [{b"Translation": "0x0409 0x04b0"}])

    def test_manifest_asks_for_current_controls_and_administrator(self):
        manifests = [data for (kind, ident, _), data in self.found.items() if kind == RT_MANIFEST]
        self.assertEqual(len(manifests), 1)
        text = manifests[0].decode("utf-8")
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', text)
        self.assertIn('level="requireAdministrator"', text)


if __name__ == "__main__":
    unittest.main()
