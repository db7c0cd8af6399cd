#pragma once
// Reading the raw bytes of dialog resources without any Windows API: the items of a
// template's initialisation data, and the icon controls of a template. Both readers check
// every length against the data they are given; malformed data ends the reading, it never
// reads past the end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One item of a template's initialisation data (resource type 240): a text that is sent to
// control `controlId` with `message` when the dialog initialises.
struct DialogInitItem {
    int controlId = 0;
    unsigned message = 0;  // the window message to send, already translated (see below)
    std::string text;      // the item's bytes up to their first NUL
};

// Reads initialisation data: per item a WORD control id, a WORD message, a DWORD byte count
// and that many bytes (the text with its NUL); a control id of 0 ends the list. The message
// codes of the format are those of the 16-bit list controls: 0x0401 adds a list-box string,
// 0x0403 a combo-box string; they come back as the current LB_ADDSTRING (0x0180) and
// CB_ADDSTRING (0x0143). Items with any other code are skipped rather than sent, so that
// resource data never makes the program send arbitrary messages.
std::vector<DialogInitItem> ReadDialogInitData(const std::uint8_t* data, std::size_t size);

// An icon control (a static control with the icon style) of a dialog template.
struct TemplateIconControl {
    std::size_t itemIndex = 0;  // position of the control in the template (creation order)
    unsigned iconId = 0;        // the icon resource it shows
};

// Finds the icon controls of a template, in the classic form or the extended one. A template
// that cannot be read gives what was read before the fault.
std::vector<TemplateIconControl> ReadTemplateIconControls(const std::uint8_t* data,
                                                          std::size_t size);
