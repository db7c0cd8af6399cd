// The dialog layer's readers of resource bytes and its text formatting, on any host.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "template_data.h"
#include "text_format.h"

namespace {

// Builds resource bytes the way the resource compiler lays them out.
class Bytes {
public:
    Bytes& Word(unsigned value) {
        m_data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        m_data.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
        return *this;
    }
    Bytes& Dword(std::uint32_t value) { return Word(value & 0xFFFF).Word(value >> 16); }
    Bytes& Wide(const std::string& text) {
        for (const char c : text) {
            Word(static_cast<unsigned char>(c));
        }
        return Word(0);
    }
    Bytes& Ordinal(unsigned value) { return Word(0xFFFF).Word(value); }
    Bytes& Raw(const std::string& bytes) {
        m_data.insert(m_data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes& Align() {
        while (m_data.size() % 4 != 0) {
            m_data.push_back(0);
        }
        return *this;
    }
    const std::vector<std::uint8_t>& Data() const { return m_data; }

private:
    std::vector<std::uint8_t> m_data;
};

constexpr unsigned kButton = 0x0080;
constexpr unsigned kStatic = 0x0082;
constexpr std::uint32_t kChild = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kIconStyle = 0x03;     // SS_ICON
constexpr std::uint32_t kSetFont = 0x40;

// An extended template with a font: a button, an icon, a text, a named icon, an icon given by
// the class name "STATIC" and a text static whose title is an ordinal.
std::vector<std::uint8_t> ExtendedTemplate() {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(0).Dword(0).Dword(0x80C800C0 | kSetFont).Word(6);
    b.Word(0).Word(0).Word(192).Word(236).Word(0).Word(0).Wide("Probe");
    b.Word(8).Word(400).Word(0x0100).Wide("MS Sans Serif");
    auto item = [&b](std::uint32_t style, std::uint32_t id) {
        b.Align().Dword(0).Dword(0).Dword(kChild | style).Word(1).Word(2).Word(3).Word(4).Dword(id);
    };
    item(0, 1);
    b.Ordinal(kButton).Wide("OK").Word(0);
    item(kIconStyle, 0xFFFFFFFF);
    b.Ordinal(kStatic).Ordinal(128).Word(0);
    item(0, 0xFFFFFFFF);
    b.Ordinal(kStatic).Wide("text").Word(2).Raw("xy");
    item(kIconStyle, 5);
    b.Ordinal(kStatic).Wide("NAMED").Word(0);
    item(kIconStyle, 6);
    b.Wide("STATIC").Ordinal(137).Word(0);
    item(0, 7);
    b.Ordinal(kStatic).Ordinal(139).Word(0);
    return b.Data();
}

// A classic template without a font: a text, then an icon.
std::vector<std::uint8_t> ClassicTemplate() {
    Bytes b;
    b.Dword(0x80C80000).Dword(0).Word(2).Word(0).Word(0).Word(235).Word(55);
    b.Word(0).Word(0).Wide("About");
    b.Align().Dword(kChild).Dword(0).Word(1).Word(2).Word(3).Word(4).Word(0xFFFF);
    b.Ordinal(kStatic).Wide("Version").Word(0);
    b.Align().Dword(kChild | kIconStyle).Dword(0).Word(1).Word(2).Word(3).Word(4).Word(0xFFFF);
    b.Ordinal(kStatic).Ordinal(136).Word(0);
    return b.Data();
}

struct IconFound {
    std::size_t index;
    unsigned id;
};

std::vector<IconFound> Icons(const std::vector<std::uint8_t>& data, std::size_t size) {
    std::vector<IconFound> found;
    for (const auto& icon : ReadTemplateIconControls(data.data(), size)) {
        found.push_back({icon.itemIndex, icon.iconId});
    }
    return found;
}

bool operator==(const IconFound& a, const IconFound& b) {
    return a.index == b.index && a.id == b.id;
}

TEST(TemplateIconControls, FindsIconStaticsInBothTemplateForms) {
    const std::vector<IconFound> extended = {{1, 128}, {4, 137}};
    EXPECT_EQ(Icons(ExtendedTemplate(), ExtendedTemplate().size()), extended);
    const std::vector<IconFound> classic = {{1, 136}};
    EXPECT_EQ(Icons(ClassicTemplate(), ClassicTemplate().size()), classic);
}

TEST(TemplateIconControls, CutDataGivesWhatWasReadBeforeTheCut) {
    for (const auto& data : {ExtendedTemplate(), ClassicTemplate()}) {
        const auto whole = Icons(data, data.size());
        for (std::size_t size = 0; size < data.size(); ++size) {
            const auto part = Icons(data, size);
            ASSERT_LE(part.size(), whole.size()) << "cut at " << size;
            EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin())) << "cut at " << size;
        }
    }
}

std::vector<std::uint8_t> InitData() {
    Bytes b;
    b.Word(1022).Word(0x0403).Dword(9).Raw(std::string("1 minute\0", 9));
    b.Word(1023).Word(0x0401).Dword(4).Raw(std::string("one\0", 4));
    b.Word(1024).Word(0x1234).Dword(2).Raw(std::string("x\0", 2));  // skipped
    b.Word(0xFFFF).Word(0x0403).Dword(6).Raw(std::string("ab\0cd\0", 6));
    b.Word(1022).Word(0x0403).Dword(3).Raw("end");  // no NUL of its own
    b.Word(0).Word(1022).Word(0x0403).Dword(1).Raw(std::string("\0", 1));  // after the end
    return b.Data();
}

TEST(DialogInitData, ItemsComeInOrderWithTheirControlsAndCurrentMessages) {
    const auto data = InitData();
    const auto items = ReadDialogInitData(data.data(), data.size());
    struct Expected {
        int control;
        unsigned message;
        const char* text;
    };
    const Expected expected[] = {
        {1022, 0x0143, "1 minute"}, {1023, 0x0180, "one"}, {-1, 0x0143, "ab"}, {1022, 0x0143, "end"}};
    ASSERT_EQ(items.size(), std::size(expected));
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].controlId, expected[i].control) << i;
        EXPECT_EQ(items[i].message, expected[i].message) << i;
        EXPECT_EQ(items[i].text, expected[i].text) << i;
    }
}

TEST(DialogInitData, ALengthBeyondTheDataEndsTheListAtEveryCut) {
    const auto data = InitData();
    const auto whole = ReadDialogInitData(data.data(), data.size());
    for (std::size_t size = 0; size < data.size(); ++size) {
        const auto part = ReadDialogInitData(data.data(), size);
        ASSERT_LE(part.size(), whole.size()) << "cut at " << size;
        for (std::size_t i = 0; i < part.size(); ++i) {
            EXPECT_EQ(part[i].text, whole[i].text) << "cut at " << size;
        }
    }
    EXPECT_TRUE(ReadDialogInitData(nullptr, 10).empty());
}

TEST(FormatWithText, FillsTheFirstTextPlaceAndNothingElse) {
    struct Case {
        const char* format;
        const char* argument;
        const char* expected;
    };
    const Case cases[] = {
        {"once per %s mins", "10", "once per 10 mins"},
        {"Error establishing VPN Tunnel (%s).", "ERR_START_FAILED",
         "Error establishing VPN Tunnel (ERR_START_FAILED)."},
        {"%s and %s", "a", "a and %s"},     // only one argument is given
        {"%d %n %s", "x", "%d %n x"},       // other conversions stay text
        {"100%% of %s", "it", "100% of it"},
        {"trailing %", "x", "trailing %"},
        {"no place", "x", "no place"},
        {"%s", "%s%d", "%s%d"},             // the argument is not a format
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWithText(c.format, c.argument, 255), c.expected) << c.format;
    }
}

TEST(FormatWithText, TheResultIsCutToTheRoomOfItsBuffer) {
    const std::string argument(400, 'x');
    const std::string result = FormatWithText("once per %s mins", argument, 255);
    EXPECT_EQ(result.size(), 255u);
    EXPECT_EQ(result.substr(0, 9), "once per ");
    EXPECT_EQ(FormatWithText("abcdef", "", 3), "abc");
}

}  // namespace
