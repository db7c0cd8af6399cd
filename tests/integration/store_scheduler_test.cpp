// The settings store against the registry and the scheduler access against the Task
// Scheduler of the test's own Wine prefix. Each test starts without the product's key tree
// and without the work item's file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "convert_string.h"
#include "scheduler_access.h"
#include "settings_store.h"
#include "win_handles.h"

namespace {

// A registry value: its type and its bytes.
using Raw = std::pair<DWORD, std::string>;

Raw Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
Raw Dword(std::int32_t value) { return {REG_DWORD, std::string(reinterpret_cast<char*>(&value), 4)}; }
std::string Text(std::size_t length) { return std::string(length, 't'); }

const char* const kNames[] = {"Profile", "Interval", "ProfileUsername", "ProfilePassword"};

void Put(const char* name, const Raw& value) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, value.first,
                              value.second.data(), static_cast<DWORD>(value.second.size())), 0);
}

// The four values as stored; REG_NONE without bytes for one that is missing.
std::vector<Raw> Stored() {
    std::vector<Raw> values;
    for (const char* name : kNames) {
        std::string bytes(4096, '\0');
        DWORD type = REG_NONE, size = 4096;
        const bool read = RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND,
                                       &type, bytes.data(), &size) == ERROR_SUCCESS;
        values.push_back(read ? Raw(type, bytes.substr(0, size)) : Raw(REG_NONE, ""));
    }
    return values;
}

auto Fields(const ConnectorSettings& s) {
    return std::make_tuple(s.profileName, s.intervalMinutes, s.profileUser, s.profilePassword);
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Halvane"); }
    void TearDown() override { SetUp(); }
};

// Each text is read into its own buffer of 400 bytes, NUL included, and the interval from at
// most 4 bytes, whatever the stored type: a value that does not fit, or is missing, is absent
// and leaves the others loaded. A text stored without its NUL is taken to the end of its data.
TEST_F(SettingsStore, EachValueLoadsOnlyWhenItFitsItsBuffer) {
    EXPECT_EQ(Fields(LoadSettings()), Fields({}));
    Put("TriggerID", Dword(3));
    EXPECT_EQ(Fields(LoadSettings()), Fields({}));
    const struct { Raw values[4]; ConnectorSettings loaded; } cases[] = {
        {{Sz(Text(399)), Dword(7), Sz(""), Sz(Text(399))}, {Text(399), 7, "", Text(399)}},
        {{Sz(Text(400)), Dword(-5), Sz(Text(399)), Sz("")}, {std::nullopt, -5, Text(399), ""}},
        {{{REG_SZ, "abc"}, {REG_BINARY, std::string("\7\0\0\0\0", 5)}, Sz(Text(400)),
          {REG_BINARY, Text(400)}}, {"abc", std::nullopt, std::nullopt, Text(400)}},
        {{Sz("p"), Dword(1), Sz(Text(401)), Sz(Text(400))}, {"p", 1, std::nullopt, std::nullopt}}};
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < 4; ++i) {
            Put(kNames[i], c.values[i]);
        }
        EXPECT_EQ(Fields(LoadSettings()), Fields(c.loaded)) << c.values[0].second.size();
    }
}

// The first save creates the key and its parent; the next replaces the four values, an absent
// text as a one-byte REG_SZ and an absent interval as 0. A key that cannot be created (its
// parent is volatile) gives the error and writes nothing.
TEST_F(SettingsStore, SaveWritesTheFourValuesWithTheirExactTypeAndBytes) {
    ASSERT_EQ(SaveSettings({"Office", -5, "DOMAIN\\vpnuser", "p@ss w\xF6rd"}), 0);
    EXPECT_EQ(Stored(), (std::vector<Raw>{Sz("Office"), Dword(-5),
                                          Sz("DOMAIN\\vpnuser"), Sz("p@ss w\xF6rd")}));
    ASSERT_EQ(SaveSettings({"Home", std::nullopt, "", std::nullopt}), 0);
    EXPECT_EQ(Stored(), (std::vector<Raw>{Sz("Home"), Dword(0), Sz(""), Sz("")}));
    SetUp();
    RegistryKey parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvane", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, parent.put(), nullptr), 0);
    EXPECT_EQ(SaveSettings({"Office", 5, "u", "p"}), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(Stored()[0], Raw(REG_NONE, ""));
}

// "Ferrolink" and an accent of code page 1252 (11 units with the terminator) into a target of
// 15 '#' and a terminator: a text that does not fit fails and leaves the target empty, nothing
// is written past the room, and another direction or a missing buffer fails.
TEST(ConvertString, ConvertsWithinItsRoomOnly) {
    ASSERT_EQ(GetACP(), 1252u) << "the prefix's code page";
    const std::string untouched = std::string(15, '#') + '\0';
    const struct { int direction, room, result; const char* text; } cases[] = {
        {1, 11, 1, "Ferrolink\xE9"}, {1, 10, 0, ""}, {1, 0, 0, nullptr},
        {0, 11, 1, "Ferrolink\xE9"}, {0, 10, 0, ""}, {0, -1, 0, nullptr}, {2, 11, 0, nullptr}};
    for (const auto& c : cases) {
        std::string ansi = c.direction == 0 ? untouched : "Ferrolink\xE9";
        std::wstring wide = c.direction == 0 ? L"Ferrolink\u00e9" : L"###############";
        EXPECT_EQ(ConvertString(ansi.data(), wide.data(), c.room, c.direction), c.result);
        const std::string target = c.direction == 0 ? ansi : std::string(wide.begin(), wide.end());
        EXPECT_STREQ(target.c_str(), c.text != nullptr ? c.text : untouched.c_str()) << c.room;
        const auto room = static_cast<std::size_t>(c.room > 0 ? c.room : 0);
        EXPECT_EQ(target.substr(room), untouched.substr(room, target.size() - room)) << c.room;
    }
    wchar_t wide[] = L"xyz";
    EXPECT_EQ(ConvertString(nullptr, wide, 4, 1), 0);
    EXPECT_EQ(wide[0], L'\0');
}

bool JobExists() {
    return GetFileAttributesA("C:\\windows\\Tasks\\Ferrolink.job") != INVALID_FILE_ATTRIBUTES;
}

// Opening the work item "Ferrolink" that the Task Scheduler does not hold fails and leaves the
// task unset; with create it gives a new item that is stored only when saved. Without a
// scheduler object (none, released, or not made outside COM) or with a name that does not fit
// the 256 units of the conversion, every operation fails cleanly.
TEST(SchedulerAccess, OpensMakesOrRefusesTheWorkItem) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    DeleteFileA("C:\\windows\\Tasks\\Ferrolink.job");
    SchedulerAccess access;
    std::unique_ptr<WorkItem> task;
    EXPECT_EQ(access.OpenWorkItem(kWorkItemName, task, true), E_POINTER);
    ASSERT_EQ(access.CreateScheduler(), S_OK);
    EXPECT_EQ(access.OpenWorkItem(kWorkItemName, task, false), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(task);
    EXPECT_EQ(access.DeleteWorkItem(kWorkItemName), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(access.OpenWorkItem(std::string(256, 'F').c_str(), task, true), E_INVALIDARG);
    EXPECT_EQ(access.DeleteWorkItem(std::string(256, 'F').c_str()), E_INVALIDARG);
    EXPECT_EQ(access.OpenWorkItem(std::string(255, 'F').c_str(), task, true), S_OK);
    ASSERT_EQ(access.OpenWorkItem(kWorkItemName, task, true), S_OK);
    EXPECT_TRUE(task);
    task.reset();
    EXPECT_FALSE(JobExists());
    access.ReleaseScheduler();
    EXPECT_EQ(access.DeleteWorkItem(kWorkItemName), E_POINTER);
    CoUninitialize();
    HRESULT created = S_OK;
    std::thread([&created] { created = SchedulerAccess().CreateScheduler(); }).join();
    EXPECT_EQ(created, CO_E_NOTINITIALIZED);
}

}  // namespace
