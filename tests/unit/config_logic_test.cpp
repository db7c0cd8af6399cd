#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "config_logic.h"

namespace {

TEST(ProfileNameFromFileName, CutsBeforeTheLastDot) {
    const struct {
        const char* fileName;
        const char* profile;
    } cases[] = {
        {"Office.pcf", "Office"},
        {"a.b.pcf", "a.b"},
        {"Home Office.PCF", "Home Office"},
        {".pcf", ""},
        {"NoDot", "NoDot"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileNameFromFileName(c.fileName), c.profile) << c.fileName;
    }
}

TEST(LeadingInteger, ReadsAsPercentDReads) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {" 15 minutes", 15},
        {"1 minute", 1},
        {"\t\n 7", 7},
        {"-3x", -3},
        {"+7", 7},
        {"007", 7},
        {"10", 10},
        {"disable checks", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+ 7", std::nullopt},
        {"x15", std::nullopt},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648 minutes", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LastAccountPiece, KeepsTheLastNonEmptyPiece) {
    const struct {
        const char* account;
        const char* piece;
    } cases[] = {
        {"DOMAIN\\user", "user"},
        {"DOMAIN\\user\\", "user"},
        {"DOMAIN\\user\\\\", "user"},
        {"user", "user"},
        {"\\user", "user"},
        {"A\\B\\user", "user"},
        {"\\", ""},
        {"\\\\\\", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastAccountPiece(c.account), c.piece) << c.account;
    }
}

// The items of the main dialog's interval list, in their order.
const std::vector<std::string> kIntervalItems = {
    "1 minute",   "2 minutes",  "3 minutes",  "4 minutes",  "5 minutes",  "6 minutes",
    "7 minutes",  "8 minutes",  "9 minutes",  "10 minutes", "15 minutes", "20 minutes",
    "30 minutes", "45 minutes", "60 minutes", "disable checks"};

// A stored interval selects the first item that begins with its "%d" text.
TEST(FindItemByPrefix, SelectsTheIntervalItemOfAStoredNumber) {
    const struct {
        int stored;
        const char* item;  // nullptr: no item, the default stays selected
    } cases[] = {
        {1, "1 minute"},    {6, "6 minutes"},   {7, "7 minutes"},   {9, "9 minutes"},
        {10, "10 minutes"}, {15, "15 minutes"}, {45, "45 minutes"}, {60, "60 minutes"},
        {12, nullptr},      {11, nullptr},      {0, nullptr},       {100, nullptr},
        {-5, nullptr},
    };
    for (const auto& c : cases) {
        const int index = FindItemByPrefix(kIntervalItems, std::to_string(c.stored));
        if (c.item == nullptr) {
            EXPECT_EQ(index, -1) << c.stored;
        } else {
            ASSERT_GE(index, 0) << c.stored;
            EXPECT_EQ(kIntervalItems[static_cast<std::size_t>(index)], c.item) << c.stored;
        }
    }
}

// Each item's number is what the interval text becomes when the item is chosen.
TEST(FindItemByPrefix, IntervalItemsGiveTheirLeadingNumber) {
    const int minutes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60};
    for (std::size_t i = 0; i < std::size(minutes); ++i) {
        EXPECT_EQ(LeadingInteger(kIntervalItems[i]), minutes[i]) << kIntervalItems[i];
    }
    EXPECT_EQ(LeadingInteger(kIntervalItems.back()), std::nullopt);
}

TEST(FindItemByPrefix, MatchesAProfilePrefixIgnoringCase) {
    const std::vector<std::string> profiles = {"Branch", "office2", "Office", "OFFICE3"};
    EXPECT_EQ(FindItemByPrefix(profiles, "Office"), 1);
    EXPECT_EQ(FindItemByPrefix(profiles, "OFFICE3"), 3);
    EXPECT_EQ(FindItemByPrefix(profiles, "branch"), 0);
    EXPECT_EQ(FindItemByPrefix(profiles, "Office35"), -1);
    EXPECT_EQ(FindItemByPrefix(profiles, "Home"), -1);
    EXPECT_EQ(FindItemByPrefix(profiles, ""), 0);
    EXPECT_EQ(FindItemByPrefix({}, "Office"), -1);
}

}  // namespace
