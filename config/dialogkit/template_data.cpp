#include "template_data.h"

#include <cctype>

namespace {

// Message codes of the initialisation data and what they stand for today.
constexpr unsigned kInitListBoxAddString = 0x0401;
constexpr unsigned kInitComboBoxAddString = 0x0403;
constexpr unsigned kListBoxAddString = 0x0180;   // LB_ADDSTRING
constexpr unsigned kComboBoxAddString = 0x0143;  // CB_ADDSTRING

constexpr std::uint16_t kOrdinalMark = 0xFFFF;
constexpr std::uint16_t kStaticClassOrdinal = 0x0082;
constexpr std::uint32_t kSetFontStyle = 0x40;  // DS_SETFONT, also part of DS_SHELLFONT
constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kStaticIconType = 0x03;

// A cursor over little-endian data that fails, instead of reading on, at the end.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Word(std::uint16_t& value) {
        if (m_offset > m_size || m_size - m_offset < 2) {
            return false;
        }
        value = static_cast<std::uint16_t>(m_data[m_offset] | (m_data[m_offset + 1] << 8));
        m_offset += 2;
        return true;
    }
    bool Dword(std::uint32_t& value) {
        std::uint16_t low = 0;
        std::uint16_t high = 0;
        if (!Word(low) || !Word(high)) {
            return false;
        }
        value = static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
        return true;
    }
    bool Skip(std::size_t count) {
        if (count > m_size - m_offset) {
            return false;
        }
        m_offset += count;
        return true;
    }
    bool AlignTo(std::size_t unit) {
        const std::size_t rest = m_offset % unit;
        return rest == 0 || Skip(unit - rest);
    }
    // A UTF-16 text up to and including its terminator; gives the text narrowed to ASCII
    // (enough for comparing class names).
    bool WideText(std::string& text) {
        text.clear();
        for (;;) {
            std::uint16_t unit = 0;
            if (!Word(unit)) {
                return false;
            }
            if (unit == 0) {
                return true;
            }
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
    }
    // A name or an ordinal: 0 (none), 0xFFFF and a number, or a text.
    bool NameOrOrdinal(std::uint16_t& ordinal, std::string& name) {
        ordinal = 0;
        name.clear();
        std::uint16_t first = 0;
        if (!Word(first)) {
            return false;
        }
        if (first == 0) {
            return true;
        }
        if (first == kOrdinalMark) {
            return Word(ordinal);
        }
        name += first < 0x80 ? static_cast<char>(first) : '?';
        std::string rest;
        if (!WideText(rest)) {
            return false;
        }
        name += rest;
        return true;
    }
    const std::uint8_t* Here() const { return m_data + m_offset; }
    std::size_t Left() const { return m_size - m_offset; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

bool IsStaticClass(std::uint16_t ordinal, const std::string& name) {
    if (ordinal == kStaticClassOrdinal) {
        return true;
    }
    static const char kStatic[] = "static";
    if (name.size() != sizeof kStatic - 1) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != kStatic[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<DialogInitItem> ReadDialogInitData(const std::uint8_t* data, std::size_t size) {
    std::vector<DialogInitItem> items;
    if (data == nullptr) {
        return items;
    }
    ByteReader reader(data, size);
    for (;;) {
        std::uint16_t controlId = 0;
        std::uint16_t message = 0;
        std::uint32_t length = 0;
        if (!reader.Word(controlId) || controlId == 0 || !reader.Word(message) ||
            !reader.Dword(length) || length > reader.Left()) {
            return items;
        }
        const auto* bytes = reinterpret_cast<const char*>(reader.Here());
        std::string text(bytes, length);
        reader.Skip(length);
        const auto end = text.find('\0');
        if (end != std::string::npos) {
            text.resize(end);
        }
        unsigned translated = 0;
        if (message == kInitComboBoxAddString) {
            translated = kComboBoxAddString;
        } else if (message == kInitListBoxAddString) {
            translated = kListBoxAddString;
        } else {
            continue;
        }
        // The id is a signed 16-bit number in the format, as control ids of templates are.
        items.push_back({static_cast<std::int16_t>(controlId), translated, std::move(text)});
    }
}

std::vector<TemplateIconControl> ReadTemplateIconControls(const std::uint8_t* data,
                                                          std::size_t size) {
    std::vector<TemplateIconControl> icons;
    if (data == nullptr) {
        return icons;
    }
    ByteReader reader(data, size);
    std::uint16_t version = 0;
    std::uint16_t signature = 0;
    if (!reader.Word(version) || !reader.Word(signature)) {
        return icons;
    }
    const bool extended = version == 1 && signature == kOrdinalMark;
    std::uint32_t style = 0;
    std::uint16_t itemCount = 0;
    if (extended) {
        std::uint32_t helpId = 0;
        std::uint32_t exStyle = 0;
        if (!reader.Dword(helpId) || !reader.Dword(exStyle) || !reader.Dword(style)) {
            return icons;
        }
    } else {
        // The classic form starts with the style; its two words were read above.
        style = static_cast<std::uint32_t>(version) | (static_cast<std::uint32_t>(signature) << 16);
        std::uint32_t exStyle = 0;
        if (!reader.Dword(exStyle)) {
            return icons;
        }
    }
    std::uint16_t ordinal = 0;
    std::string name;
    if (!reader.Word(itemCount) || !reader.Skip(8) || !reader.NameOrOrdinal(ordinal, name) ||
        !reader.NameOrOrdinal(ordinal, name) || !reader.WideText(name)) {
        return icons;
    }
    if ((style & kSetFontStyle) != 0) {
        std::uint16_t pointSize = 0;
        if (!reader.Word(pointSize) || (extended && !reader.Skip(4)) || !reader.WideText(name)) {
            return icons;
        }
    }
    for (std::size_t index = 0; index < itemCount; ++index) {
        std::uint32_t itemStyle = 0;
        std::uint32_t ignored = 0;
        if (!reader.AlignTo(4)) {
            return icons;
        }
        if (extended) {
            // help id, extended style, style, position and size, 32-bit control id
            if (!reader.Dword(ignored) || !reader.Dword(ignored) || !reader.Dword(itemStyle) ||
                !reader.Skip(8) || !reader.Dword(ignored)) {
                return icons;
            }
        } else {
            // style, extended style, position and size, 16-bit control id
            if (!reader.Dword(itemStyle) || !reader.Dword(ignored) || !reader.Skip(10)) {
                return icons;
            }
        }
        std::uint16_t classOrdinal = 0;
        std::string className;
        std::uint16_t titleOrdinal = 0;
        std::string title;
        std::uint16_t extraBytes = 0;
        if (!reader.NameOrOrdinal(classOrdinal, className) ||
            !reader.NameOrOrdinal(titleOrdinal, title) || !reader.Word(extraBytes) ||
            !reader.Skip(extraBytes)) {
            return icons;
        }
        if (IsStaticClass(classOrdinal, className) &&
            (itemStyle & kStaticTypeMask) == kStaticIconType && titleOrdinal != 0) {
            icons.push_back({index, titleOrdinal});
        }
    }
    return icons;
}
