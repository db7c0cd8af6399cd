// The settings store and the client's folder against the registry, the conversion through the
// code page, and the longest name that the scheduler access passes on.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "client_contract.h"
#include "installed_client.h"
#include "convert_string.h"
#include "scheduler_access.h"
#include "settings_key_security.h"
#include "settings_store.h"
#include "win_handles.h"

namespace {

using Raw = std::pair<DWORD, std::string>;

Raw Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
Raw Dword(std::int32_t value) {
    return {REG_DWORD, std::string(reinterpret_cast<char*>(&value), 4)};
}
std::string Text(std::size_t length) { return std::string(length, 't'); }

const char* const kNames[] = {"Profile", "Interval", "ProfileUsername", "ProfilePassword"};

void Put(const char* key, const char* name, const Raw& value) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, value.first, value.second.data(),
                              static_cast<DWORD>(value.second.size())), 0);
}

// REG_NONE without bytes for a value that is missing.
std::vector<Raw> Stored() {
    std::vector<Raw> values;
    for (const char* name : kNames) {
        std::string bytes(4096, '\0');
        DWORD type = REG_NONE, size = 4096;
        const bool read =
            RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                         bytes.data(), &size) == ERROR_SUCCESS;
        values.push_back(read ? Raw(type, bytes.substr(0, size)) : Raw(REG_NONE, ""));
    }
    return values;
}

auto Fields(const ConnectorSettings& s) {
    return std::make_tuple(s.profileName, s.intervalMinutes, s.profileUser, s.profilePassword);
}

void DeleteProductKeys() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Halvane"); }

// Each text is read into its own buffer of 400 bytes, NUL included, and the interval from at
// most 4 bytes, whatever the stored type: a value that does not fit, or is missing, is absent
// and leaves the others loaded. A text stored without its NUL is taken to the end of its data.
TEST(SettingsStore, EachSettingLoadsOnlyWhenItFitsItsBuffer) {
    const struct { Raw values[4]; ConnectorSettings loaded;
    } cases[] = {
        {{Sz(Text(399)), Dword(7), {REG_BINARY, Text(400)}, Sz(Text(399))},
         {Text(399), 7, Text(400), Text(399)}},
        {{Sz(Text(400)), Dword(-5), Sz(Text(399)), Sz("")}, {std::nullopt, -5, Text(399), ""}},
        {{{REG_SZ, "abc"},
          {REG_BINARY, std::string("\7\0\0\0\0", 5)},
          Sz(Text(400)),
          Sz(Text(400))},
         {"abc", std::nullopt, std::nullopt, std::nullopt}}};
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < 4; ++i) {
            Put(kSettingsKey, kNames[i], c.values[i]);
        }
        EXPECT_EQ(Fields(LoadSettings()), Fields(c.loaded)) << c.values[0].second.size();
    }
}

// The first save creates the key and its parent, the key readable by Administrators and SYSTEM
// alone before the password goes in; the next replaces the four values, an absent text as a
// one-byte REG_SZ and an absent interval as 0. A key that cannot be created (its parent is
// volatile) gives the error and writes nothing.
TEST(SettingsStore, SaveWritesTheFourSettingsWithTheirExactTypeAndBytes) {
    DeleteProductKeys();
    ASSERT_EQ(SaveSettings({"Office", -5, "DOMAIN\\vpnuser", "p@ss w\xF6rd"}), 0);
    std::string security;
    EXPECT_EQ(ReadSettingsKeySecurity(security), 0);
    EXPECT_EQ(security, "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)");
    EXPECT_EQ(Stored(), (std::vector<Raw>{Sz("Office"), Dword(-5),
                                          Sz("DOMAIN\\vpnuser"), Sz("p@ss w\xF6rd")}));
    ASSERT_EQ(SaveSettings({"Home", std::nullopt, "", std::nullopt}), 0);
    EXPECT_EQ(Stored(), (std::vector<Raw>{Sz("Home"), Dword(0), Sz(""), Sz("")}));
    DeleteProductKeys();
    RegistryKey parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvane", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, parent.put(), nullptr),
              0);
    EXPECT_EQ(SaveSettings({"Office", 5, "u", "p"}), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(Stored()[0], Raw(REG_NONE, ""));
    DeleteProductKeys();  // a volatile parent would refuse every later test's settings
}

// "InstallPath" is read into 400 bytes: a folder of 399 characters gets its backslash and the
// program's name whole; a longer one locates no client (as a missing value does, end to end).
TEST(LocateVpnClient, TheClientIsLocatedFromAFolderThatFitsItsBuffer) {
    const std::string deep = "C:\\" + std::string(396, 'd');
    const std::pair<Raw, std::optional<std::string>> cases[] = {
        {Sz("C:\\VPN\\"), "C:\\VPN\\vpnclient.exe"}, {Sz(deep), deep + "\\vpnclient.exe"},
        {Sz(deep + "d"), std::nullopt}};
    for (const auto& [folder, path] : cases) {
        Put(kVpnClientKey, kVpnClientInstallPathValue, folder);
        EXPECT_EQ(LocateVpnClient(), path) << folder.second.size();
    }
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue);
}

// Text goes through the ANSI code page, which the lab sets to 1252 whatever the machine's:
// "Ferrolink" and the euro sign (0x80 there, not U+0080) fill a room of 11 units with the
// terminator, and a room one unit smaller gives nothing rather than a text cut short.
TEST(TextConversion, GoesThroughTheCodePageAndNeverCutsShort) {
    ASSERT_EQ(GetACP(), 1252u) << "the lab's code page";
    const std::string ansi = "Ferrolink\x80";
    const std::wstring wide = L"Ferrolink\u20ac";
    EXPECT_EQ(ToWide(ansi, 11), wide);
    EXPECT_EQ(ToAnsi(wide, 11), ansi);
    EXPECT_FALSE(ToWide(ansi, 10) || ToAnsi(wide, 10)) << "cut short";
}

// Takes the length of each name that reaches the scheduler and makes no work item.
struct NameTaker : TaskScheduler {
    std::vector<std::size_t> lengths;
    HRESULT Activate(const wchar_t* name, std::unique_ptr<WorkItem>&) override {
        return Take(name);
    }
    HRESULT NewWorkItem(const wchar_t* name, std::unique_ptr<WorkItem>&) override {
        return Take(name);
    }
    HRESULT Delete(const wchar_t* name) override { return Take(name); }
    HRESULT Take(const wchar_t* name) {
        lengths.push_back(std::wcslen(name));
        return E_FAIL;
    }
};

// A name of 255 UTF-16 units reaches the scheduler whole; a longer one is refused before it.
// A stand-in takes them: Wine's own 32-bit scheduler overruns its stack on so long a name.
TEST(SchedulerAccess, PassesANameThatFitsTheConversionWhole) {
    auto taker = std::make_unique<NameTaker>();
    const NameTaker& seen = *taker;
    SchedulerAccess access;
    access.UseScheduler(std::move(taker));
    std::unique_ptr<WorkItem> task;
    for (const auto& [length, result] : {std::pair{256u, E_INVALIDARG}, {255u, E_FAIL}}) {
        const std::string name(length, 'F');
        EXPECT_EQ(access.OpenWorkItem(name.c_str(), task, true), result);
        EXPECT_EQ(access.DeleteWorkItem(name.c_str()), result);
    }
    EXPECT_EQ(seen.lengths,
              (std::vector<std::size_t>{255, 255, 255}));  // Activate, NewWorkItem, Delete
}

}  // namespace
