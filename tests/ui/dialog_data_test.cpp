// The dialog layer's readers of resource bytes and its text formatting, on any host.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "template_data.h"
#include "text_format.h"

namespace {

// Builds resource bytes the way the resource compiler lays them out.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& W(unsigned value) {
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        data.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
        return *this;
    }
    Bytes& D(std::uint32_t value) { return W(value & 0xFFFF).W(value >> 16); }
    Bytes& Ordinal(unsigned value) { return W(0xFFFF).W(value); }
    Bytes& Text(const std::string& text) {  // UTF-16 with its terminator
        for (const char c : text) {
            W(static_cast<unsigned char>(c));
        }
        return W(0);
    }
    Bytes& Raw(const std::string& bytes) {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes& Align() {
        data.resize((data.size() + 3) / 4 * 4);
        return *this;
    }
};

constexpr unsigned kButton = 0x80, kStatic = 0x82;
constexpr std::uint32_t kChild = 0x50000000, kIcon = 0x03;  // WS_CHILD | WS_VISIBLE, SS_ICON

// An extended template with a font: a button, an icon, a text with extra bytes, an icon named
// by text, an icon whose class is the name "STATIC", and a text whose title is an ordinal.
std::vector<std::uint8_t> ExtendedTemplate() {
    Bytes b;
    b.W(1).W(0xFFFF).D(0).D(0).D(0x80C800C0 | 0x40 /* DS_SETFONT */).W(6).W(0).W(0).W(192).W(236);
    b.W(0).W(0).Text("Probe").W(8).W(400).W(0x0100).Text("MS Sans Serif");
    const auto item = [&b](std::uint32_t style, std::uint32_t id) -> Bytes& {
        return b.Align().D(0).D(0).D(kChild | style).W(1).W(2).W(3).W(4).D(id);
    };
    item(0, 1).Ordinal(kButton).Text("OK").W(0);
    item(kIcon, 0xFFFFFFFF).Ordinal(kStatic).Ordinal(128).W(0);
    item(0, 0xFFFFFFFF).Ordinal(kStatic).Text("text").W(2).Raw("xy");
    item(kIcon, 5).Ordinal(kStatic).Text("NAMED").W(0);
    item(kIcon, 6).Text("STATIC").Ordinal(137).W(0);
    item(0, 7).Ordinal(kStatic).Ordinal(139).W(0);
    return b.data;
}

// A classic template without a font: a text, then an icon.
std::vector<std::uint8_t> ClassicTemplate() {
    Bytes b;
    b.D(0x80C80000).D(0).W(2).W(0).W(0).W(235).W(55).W(0).W(0).Text("About");
    const auto item = [&b](std::uint32_t style) -> Bytes& {
        return b.Align().D(kChild | style).D(0).W(1).W(2).W(3).W(4).W(0xFFFF).Ordinal(kStatic);
    };
    item(0).Text("Version").W(0);
    item(kIcon).Ordinal(136).W(0);
    return b.data;
}

using Icons = std::vector<std::pair<std::size_t, unsigned>>;  // item index, icon id

TEST(TemplateIconControls, FoundInBothFormsAndACutGivesWhatWasReadBeforeIt) {
    const std::pair<std::vector<std::uint8_t>, Icons> cases[] = {
        {ExtendedTemplate(), {{1, 128}, {4, 137}}}, {ClassicTemplate(), {{1, 136}}}};
    for (const auto& [data, expected] : cases) {
        for (std::size_t size = 0; size <= data.size(); ++size) {
            Icons found;
            for (const auto& icon : ReadTemplateIconControls(data.data(), size)) {
                found.emplace_back(icon.itemIndex, icon.iconId);
            }
            const std::size_t want = size == data.size() ? expected.size() : found.size();
            ASSERT_LE(want, expected.size()) << "cut at " << size;
            EXPECT_EQ(found, Icons(expected.begin(), expected.begin() + want)) << size;
        }
    }
}

// Combo and list items come as the current messages, other codes are skipped, a text without
// its own NUL is whole, a control id of 0 ends the list, and so does a length beyond the data
// at every cut, keeping the items read before.
TEST(DialogInitData, ItemsInOrderAndMalformedDataEndsTheList) {
    Bytes b;
    b.W(1022).W(0x0403).D(9).Raw(std::string("1 minute\0", 9));
    b.W(1023).W(0x0401).D(4).Raw(std::string("one\0", 4));
    b.W(1024).W(0x1234).D(2).Raw(std::string("x\0", 2));
    b.W(0xFFFF).W(0x0403).D(6).Raw(std::string("ab\0cd\0", 6));
    b.W(1022).W(0x0403).D(3).Raw("end");
    b.W(0).W(1022).W(0x0403).D(1).Raw(std::string("\0", 1));
    using Items = std::vector<std::tuple<int, unsigned, std::string>>;
    const Items expected = {{1022, 0x0143, "1 minute"}, {1023, 0x0180, "one"},
                            {-1, 0x0143, "ab"}, {1022, 0x0143, "end"}};
    for (std::size_t size = 0; size <= b.data.size(); ++size) {
        Items items;
        for (const auto& item : ReadDialogInitData(b.data.data(), size)) {
            items.emplace_back(item.controlId, item.message, item.text);
        }
        const std::size_t want = size == b.data.size() ? expected.size() : items.size();
        ASSERT_LE(want, expected.size()) << "cut at " << size;
        EXPECT_EQ(items, Items(expected.begin(), expected.begin() + want)) << size;
    }
    EXPECT_TRUE(ReadDialogInitData(nullptr, 10).empty());
}

TEST(FormatWithText, FillsTheFirstTextPlaceOnlyAndCutsToTheRoomGiven) {
    const std::string x400(400, 'x');
    const struct {
        std::string format, argument;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"once per %s mins", "10", 255, "once per 10 mins"},
        {"%s and %s", "a", 255, "a and %s"},  // only one argument is given
        {"%d %n %s", "x", 255, "%d %n x"},    // other conversions stay text
        {"100%% of %s", "it", 255, "100% of it"},
        {"trailing %", "x", 255, "trailing %"},
        {"%s", "%s%d", 255, "%s%d"},  // the argument is not a format
        {"once per %s mins", x400, 255, "once per " + x400.substr(0, 246)},
        {"abcdef", "", 3, "abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWithText(c.format, c.argument, c.limit), c.expected) << c.format;
    }
}

}  // namespace
