// The settings store against the real registry and the scheduler access against the Task
// Scheduler, under Wine. Each test leaves the settings key tree and the work item as it found
// them, so that other tests on the same prefix are unaffected.
#include <gtest/gtest.h>

#include <windows.h>

#include <mstask.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "convert_string.h"
#include "scheduler_access.h"
#include "settings_store.h"
#include "win_handles.h"

namespace {

constexpr const char* kProductKey = "Software\\Halvane";

// -- registry ------------------------------------------------------------------------------

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// One key with its values and subkeys, as read from the registry.
struct KeyCopy {
    std::vector<std::pair<std::string, RawValue>> values;
    std::vector<std::pair<std::string, KeyCopy>> subkeys;
};

KeyCopy CopyKey(HKEY key) {
    KeyCopy copy;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD size = 0;
        RawValue value;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        value.bytes.resize(size);
        nameSize = sizeof name;
        RegEnumValueA(key, i, name, &nameSize, nullptr, &value.type, value.bytes.data(), &size);
        copy.values.emplace_back(name, std::move(value));
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        RegistryKey subkey;
        if (RegOpenKeyA(key, name, subkey.put()) == ERROR_SUCCESS) {
            copy.subkeys.emplace_back(name, CopyKey(subkey.get()));
        }
    }
    return copy;
}

void RestoreKey(HKEY parent, const char* path, const KeyCopy& copy) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyA(parent, path, key.put()), ERROR_SUCCESS) << path;
    for (const auto& [name, value] : copy.values) {
        RegSetValueExA(key.get(), name.c_str(), 0, value.type, value.bytes.data(),
                       static_cast<DWORD>(value.bytes.size()));
    }
    for (const auto& [name, subkey] : copy.subkeys) {
        RestoreKey(key.get(), name.c_str(), subkey);
    }
}

bool KeyExists(const char* path) {
    RegistryKey key;
    return RegOpenKeyA(HKEY_LOCAL_MACHINE, path, key.put()) == ERROR_SUCCESS;
}

// Takes the product's key tree away for the test, which starts without it, and puts the
// tree back as it was afterwards.
class ProductKeyGuard {
public:
    ProductKeyGuard() {
        RegistryKey key;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kProductKey, key.put()) == ERROR_SUCCESS) {
            m_saved = CopyKey(key.get());
            m_existed = true;
        }
        key.reset();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
    }
    ProductKeyGuard(const ProductKeyGuard&) = delete;
    ProductKeyGuard& operator=(const ProductKeyGuard&) = delete;
    ~ProductKeyGuard() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
        if (m_existed) {
            RestoreKey(HKEY_LOCAL_MACHINE, kProductKey, m_saved);
        }
    }

private:
    KeyCopy m_saved;
    bool m_existed = false;
};

RegistryKey CreateSettingsKey() {
    RegistryKey key;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.put()), ERROR_SUCCESS);
    return key;
}

void SetRaw(HKEY key, const char* name, DWORD type, const void* data, std::size_t size) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
              ERROR_SUCCESS)
        << name;
}

// A REG_SZ of the text and its terminating NUL.
void SetText(HKEY key, const char* name, const std::string& text) {
    SetRaw(key, name, REG_SZ, text.c_str(), text.size() + 1);
}

void SetDword(HKEY key, const char* name, DWORD value) {
    SetRaw(key, name, REG_DWORD, &value, sizeof value);
}

RawValue ReadRaw(const char* name) {
    RawValue value;
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.put()) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.bytes.resize(size);
        RegQueryValueExA(key.get(), name, nullptr, &value.type, value.bytes.data(), &size);
    }
    return value;
}

// The bytes of a text and its terminating NUL.
std::vector<BYTE> Bytes(const std::string& text) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    ProductKeyGuard m_guard;
};

// -- settings store --------------------------------------------------------------------------

TEST_F(SettingsStoreTest, MissingKeyLoadsNoField) {
    const ConnectorSettings settings = LoadSettings();
    EXPECT_FALSE(settings.profileName);
    EXPECT_FALSE(settings.intervalMinutes);
    EXPECT_FALSE(settings.profileUser);
    EXPECT_FALSE(settings.profilePassword);
    EXPECT_FALSE(ReadSettingsText("HelpFile", 200));
}

TEST_F(SettingsStoreTest, KeyWithoutTheFourValuesLoadsFourAbsentFields) {
    const RegistryKey key = CreateSettingsKey();
    SetText(key.get(), "HelpFile", "C:\\help.txt");
    SetDword(key.get(), "TriggerID", 3);
    const ConnectorSettings settings = LoadSettings();
    EXPECT_FALSE(settings.profileName);
    EXPECT_FALSE(settings.intervalMinutes);
    EXPECT_FALSE(settings.profileUser);
    EXPECT_FALSE(settings.profilePassword);
}

// A text fits in 400 bytes with its NUL; each value is read on its own, so one that does not
// fit leaves the others loaded.
TEST_F(SettingsStoreTest, TextsLoadUpTo400BytesWithTheirNul) {
    const struct {
        std::size_t profile, user, password;
    } cases[] = {
        {0, 0, 0}, {1, 398, 399}, {399, 399, 399}, {400, 399, 5}, {399, 401, 400}, {4000, 1, 2},
    };
    for (const auto& c : cases) {
        const std::string profile(c.profile, 'p'), user(c.user, 'u'), password(c.password, 'w');
        {
            const RegistryKey key = CreateSettingsKey();
            SetText(key.get(), "Profile", profile);
            SetDword(key.get(), "Interval", 7);
            SetText(key.get(), "ProfileUsername", user);
            SetText(key.get(), "ProfilePassword", password);
        }
        const ConnectorSettings settings = LoadSettings();
        const auto expect = [](const std::optional<std::string>& field, const std::string& text,
                               const char* name) {
            if (text.size() <= 399) {
                ASSERT_TRUE(field) << name << ' ' << text.size();
                EXPECT_EQ(*field, text) << name;
            } else {
                EXPECT_FALSE(field) << name << ' ' << text.size();
            }
        };
        expect(settings.profileName, profile, "Profile");
        expect(settings.profileUser, user, "ProfileUsername");
        expect(settings.profilePassword, password, "ProfilePassword");
        EXPECT_EQ(settings.intervalMinutes, 7);
    }
}

// Text written without its NUL (by another tool) is taken to the end of its data: nothing
// beyond it is read.
TEST_F(SettingsStoreTest, TextWithoutNulIsTakenToTheEndOfItsData) {
    const std::string full(400, 'n'), over(401, 'o');
    {
        const RegistryKey key = CreateSettingsKey();
        SetRaw(key.get(), "Profile", REG_SZ, "abc", 3);
        SetRaw(key.get(), "ProfileUsername", REG_BINARY, full.data(), full.size());
        SetRaw(key.get(), "ProfilePassword", REG_SZ, over.data(), over.size());
    }
    const ConnectorSettings settings = LoadSettings();
    EXPECT_EQ(settings.profileName, std::string("abc"));
    EXPECT_EQ(settings.profileUser, full);
    EXPECT_FALSE(settings.profilePassword);
}

TEST_F(SettingsStoreTest, IntervalLoadsFromAtMostFourBytes) {
    const long long eight = 5;
    const struct {
        DWORD type;
        const void* data;
        std::size_t size;
        std::optional<std::int32_t> interval;
    } cases[] = {
        {REG_DWORD, "\x0f\x00\x00\x00", 4, 15},
        {REG_DWORD, "\xfb\xff\xff\xff", 4, -5},
        {REG_QWORD, &eight, 8, std::nullopt},
        {REG_BINARY, "\x07\x00\x00\x00\x00", 5, std::nullopt},
    };
    for (const auto& c : cases) {
        {
            const RegistryKey key = CreateSettingsKey();
            SetRaw(key.get(), "Interval", c.type, c.data, c.size);
            SetText(key.get(), "Profile", "Office");
        }
        const ConnectorSettings settings = LoadSettings();
        EXPECT_EQ(settings.intervalMinutes, c.interval) << c.size;
        EXPECT_EQ(settings.profileName, std::string("Office"));
    }
}

// The save starts without the key or its parent and creates both.
TEST_F(SettingsStoreTest, SaveWritesFourValuesWithExactTypesAndSizes) {
    ASSERT_FALSE(KeyExists(kProductKey));
    ConnectorSettings saved;
    saved.profileName = "Office";
    saved.intervalMinutes = -5;
    saved.profileUser = "DOMAIN\\vpnuser";
    saved.profilePassword = "p@ss w\xF6rd";
    ASSERT_EQ(SaveSettings(saved), 0);

    const RawValue profile = ReadRaw("Profile");
    EXPECT_EQ(profile.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(profile.bytes, Bytes("Office"));
    const RawValue interval = ReadRaw("Interval");
    EXPECT_EQ(interval.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(interval.bytes, (std::vector<BYTE>{0xfb, 0xff, 0xff, 0xff}));
    const RawValue user = ReadRaw("ProfileUsername");
    EXPECT_EQ(user.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(user.bytes, Bytes("DOMAIN\\vpnuser"));
    // The password is kept as plain text.
    const RawValue password = ReadRaw("ProfilePassword");
    EXPECT_EQ(password.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(password.bytes, Bytes("p@ss w\xF6rd"));

    const ConnectorSettings loaded = LoadSettings();
    EXPECT_EQ(loaded.profileName, saved.profileName);
    EXPECT_EQ(loaded.intervalMinutes, saved.intervalMinutes);
    EXPECT_EQ(loaded.profileUser, saved.profileUser);
    EXPECT_EQ(loaded.profilePassword, saved.profilePassword);
}

// Empty and absent texts are written as a REG_SZ of one byte, not left out; an absent
// interval as 0. They come back present.
TEST_F(SettingsStoreTest, EmptyTextsAreOneByteValuesThatLoadAsPresent) {
    ConnectorSettings saved;
    saved.profileName = "Office";
    saved.profileUser = "";
    ASSERT_EQ(SaveSettings(saved), 0);
    EXPECT_EQ(ReadRaw("ProfileUsername").bytes, std::vector<BYTE>{0});
    EXPECT_EQ(ReadRaw("ProfileUsername").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRaw("ProfilePassword").bytes, std::vector<BYTE>{0});
    EXPECT_EQ(ReadRaw("ProfilePassword").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRaw("Interval").bytes, (std::vector<BYTE>{0, 0, 0, 0}));

    const ConnectorSettings loaded = LoadSettings();
    EXPECT_EQ(loaded.profileName, std::string("Office"));
    EXPECT_EQ(loaded.intervalMinutes, 0);
    EXPECT_EQ(loaded.profileUser, std::string());
    EXPECT_EQ(loaded.profilePassword, std::string());
}

TEST_F(SettingsStoreTest, SaveReplacesOlderValuesAndKeepsOthers) {
    {
        const RegistryKey key = CreateSettingsKey();
        SetText(key.get(), "Profile", std::string(399, 'x'));
        SetText(key.get(), "InstallPath", "C:\\Program Files\\Ferrolink");
        SetDword(key.get(), "TriggerID", 2);
    }
    ConnectorSettings saved;
    saved.profileName = "Home";
    saved.intervalMinutes = 60;
    ASSERT_EQ(SaveSettings(saved), 0);
    EXPECT_EQ(ReadRaw("Profile").bytes, Bytes("Home"));
    EXPECT_EQ(ReadRaw("Interval").bytes, (std::vector<BYTE>{60, 0, 0, 0}));
    EXPECT_EQ(ReadRaw("InstallPath").bytes, Bytes("C:\\Program Files\\Ferrolink"));
    EXPECT_EQ(ReadRaw("TriggerID").bytes, (std::vector<BYTE>{2, 0, 0, 0}));
}

// A key that cannot be created (here: its parent is volatile) is reported by its error code
// and nothing is written.
TEST_F(SettingsStoreTest, SaveReturnsTheErrorOfTheKeyCreation) {
    {
        RegistryKey parent;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr,
                                  REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, parent.put(),
                                  nullptr),
                  ERROR_SUCCESS);
    }
    ConnectorSettings saved;
    saved.profileName = "Office";
    EXPECT_EQ(SaveSettings(saved), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_FALSE(KeyExists(kSettingsKey));
}

TEST_F(SettingsStoreTest, ReadSettingsTextFitsItsBufferWithTheNul) {
    {
        const RegistryKey key = CreateSettingsKey();
        SetText(key.get(), "HelpFile", std::string(199, 'h'));
        SetText(key.get(), "InstallPath", std::string(399, 'i'));
    }
    EXPECT_EQ(ReadSettingsText("HelpFile", 200), std::string(199, 'h'));
    EXPECT_EQ(ReadSettingsText("InstallPath", 400), std::string(399, 'i'));
    EXPECT_FALSE(ReadSettingsText("InstallPath", 399));
    EXPECT_FALSE(ReadSettingsText("TriggerID", 4));
    {
        const RegistryKey key = CreateSettingsKey();
        SetText(key.get(), "HelpFile", std::string(200, 'h'));
    }
    EXPECT_FALSE(ReadSettingsText("HelpFile", 200));
}

// -- text conversion ---------------------------------------------------------------------------

TEST(ConvertString, ConvertsBothWaysThroughTheTerminator) {
    wchar_t wide[32];
    char ansi[32];
    char source[] = "Ferrolink \xE9t\xE9";
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(ConvertString(source, wide, 32, 1), 1);
    EXPECT_STREQ(wide, L"Ferrolink \u00e9t\u00e9");
    EXPECT_EQ(ConvertString(ansi, wide, 32, 0), 1);
    EXPECT_STREQ(ansi, source);

    char empty[] = "";
    EXPECT_EQ(ConvertString(empty, wide, 32, 1), 1);
    EXPECT_STREQ(wide, L"");
}

// A text exactly as long as its room (terminator included) converts; one unit more fails and
// leaves an empty target, with nothing written past the room.
TEST(ConvertString, NeverWritesPastItsRoom) {
    char source[] = "Ferrolink";  // 9 characters and the NUL
    wchar_t wide[16];
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(ConvertString(source, wide, 10, 1), 1);
    EXPECT_STREQ(wide, L"Ferrolink");
    std::fill(std::begin(wide), std::end(wide), L'#');
    EXPECT_EQ(ConvertString(source, wide, 9, 1), 0);
    EXPECT_EQ(wide[0], L'\0');
    EXPECT_EQ(std::wstring(wide + 9, 7), std::wstring(7, L'#'));

    wchar_t wideSource[] = L"Ferrolink";
    char ansi[16];
    std::memset(ansi, '#', sizeof ansi);
    EXPECT_EQ(ConvertString(ansi, wideSource, 10, 0), 1);
    EXPECT_STREQ(ansi, "Ferrolink");
    std::memset(ansi, '#', sizeof ansi);
    EXPECT_EQ(ConvertString(ansi, wideSource, 9, 0), 0);
    EXPECT_EQ(ansi[0], '\0');
    EXPECT_EQ(std::string(ansi + 9, 7), std::string(7, '#'));

    // No room at all: nothing is written.
    std::memset(ansi, '#', sizeof ansi);
    std::fill(std::begin(wide), std::end(wide), L'#');
    for (const int room : {0, -1}) {
        EXPECT_EQ(ConvertString(ansi, wideSource, room, 0), 0);
        EXPECT_EQ(ansi[0], '#');
        EXPECT_EQ(ConvertString(source, wide, room, 1), 0);
        EXPECT_EQ(wide[0], L'#');
    }
}

TEST(ConvertString, RefusesOtherDirectionsAndMissingBuffers) {
    char ansi[] = "abc";
    wchar_t wide[] = L"xyz";
    for (const int direction : {2, -1, 100}) {
        EXPECT_EQ(ConvertString(ansi, wide, 4, direction), 0) << direction;
        EXPECT_STREQ(ansi, "abc");
        EXPECT_STREQ(wide, L"xyz");
    }
    EXPECT_EQ(ConvertString(nullptr, wide, 4, 1), 0);
    EXPECT_STREQ(wide, L"");
    EXPECT_EQ(ConvertString(ansi, nullptr, 4, 0), 0);
    EXPECT_STREQ(ansi, "");
    EXPECT_EQ(ConvertString(nullptr, nullptr, 4, 0), 0);
}

// -- scheduler access ------------------------------------------------------------------------

// Exposes the scheduler object, as the main dialog that derives from it uses it.
class TestAccess : public SchedulerAccess {
public:
    ITaskScheduler* scheduler() const { return m_scheduler.get(); }
};

std::string JobPath() {
    char folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\Tasks\\" + kWorkItemName + ".job";
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deletes the work item's file; the scheduler service may still be reading a job that was
// just saved, so a file in use is tried again for a while.
bool RemoveJob() {
    for (int attempt = 0; attempt < 50 && FileExists(JobPath()); ++attempt) {
        if (!DeleteFileA(JobPath().c_str()) && GetLastError() == ERROR_SHARING_VIOLATION) {
            Sleep(100);
        }
    }
    return !FileExists(JobPath());
}

std::wstring Parameters(ITask* task) {
    LPWSTR text = nullptr;
    if (FAILED(task->GetParameters(&text)) || text == nullptr) {
        return L"<none>";
    }
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

// Runs each test inside CoInitialize(NULL) / CoUninitialize, as the program does, with the
// work item's file taken away and put back afterwards.
class SchedulerAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        m_comInitialised = true;
        std::ifstream saved(JobPath(), std::ios::binary);
        if (saved) {
            m_savedJob.assign(std::istreambuf_iterator<char>(saved), {});
            m_jobExisted = true;
        }
        saved.close();
        ASSERT_TRUE(RemoveJob());
    }
    void TearDown() override {
        m_access.ReleaseScheduler();
        if (m_comInitialised) {
            CoUninitialize();
        }
        EXPECT_TRUE(RemoveJob());
        if (m_jobExisted) {
            std::ofstream restored(JobPath(), std::ios::binary);
            restored.write(m_savedJob.data(), static_cast<std::streamsize>(m_savedJob.size()));
        }
    }

    TestAccess m_access;
    bool m_comInitialised = false;
    bool m_jobExisted = false;
    std::string m_savedJob;
};

TEST_F(SchedulerAccessTest, OpenWithoutCreateFailsOnAMissingItemAndLeavesTaskAsItWas) {
    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    ASSERT_NE(m_access.scheduler(), nullptr);

    ComPtr<ITask> task;
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, false),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(task);

    // A task already held stays held, the same object.
    ComPtr<IUnknown> other;
    ASSERT_EQ(m_access.scheduler()->NewWorkItem(L"FerrolinkOther", CLSID_CTask, IID_ITask,
                                                other.put()),
              S_OK);
    ASSERT_EQ(other.QueryInterface(IID_ITask, task), S_OK);
    ITask* const held = task.get();
    EXPECT_LT(m_access.OpenWorkItem(kWorkItemName, task, false), 0);
    EXPECT_EQ(task.get(), held);
    EXPECT_FALSE(FileExists(JobPath()));
}

// A created item exists only in memory until it is saved; once saved, it is what opening
// (with or without create) finds.
TEST_F(SchedulerAccessTest, CreateMakesAnUnsavedItemThatOpensOnceSaved) {
    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    ComPtr<ITask> created;
    ASSERT_EQ(m_access.OpenWorkItem(kWorkItemName, created, true), S_OK);
    ASSERT_TRUE(created);
    EXPECT_FALSE(FileExists(JobPath()));
    ComPtr<ITask> missing;
    EXPECT_LT(m_access.OpenWorkItem(kWorkItemName, missing, false), 0);

    ASSERT_EQ(created->SetParameters(L"-u \"marker\""), S_OK);
    ComPtr<IPersistFile> file;
    ASSERT_EQ(created.QueryInterface(IID_IPersistFile, file), S_OK);
    ASSERT_EQ(file->Save(nullptr, TRUE), S_OK);
    EXPECT_TRUE(FileExists(JobPath()));

    for (const bool create : {false, true}) {
        ComPtr<ITask> opened;
        ASSERT_EQ(m_access.OpenWorkItem(kWorkItemName, opened, create), S_OK) << create;
        ASSERT_TRUE(opened);
        EXPECT_EQ(Parameters(opened.get()), L"-u \"marker\"") << create;
    }
}

// A name longer than the 255 units that the conversion has room for is refused, not opened
// or made under a shortened name.
TEST_F(SchedulerAccessTest, OpenRefusesANameThatDoesNotFit) {
    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    ComPtr<ITask> task;
    EXPECT_EQ(m_access.OpenWorkItem(std::string(256, 'F').c_str(), task, true), E_INVALIDARG);
    EXPECT_EQ(m_access.OpenWorkItem(nullptr, task, true), E_INVALIDARG);
    EXPECT_FALSE(task);
}

TEST_F(SchedulerAccessTest, WithoutASchedulerObjectEveryOpenFails) {
    ComPtr<ITask> task;
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, true), E_POINTER);
    m_access.ReleaseScheduler();
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, false), E_POINTER);

    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    m_access.ReleaseScheduler();
    m_access.ReleaseScheduler();
    EXPECT_EQ(m_access.scheduler(), nullptr);
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, true), E_POINTER);
    EXPECT_FALSE(task);
    EXPECT_FALSE(FileExists(JobPath()));
}

// Without COM the scheduler cannot be made; no object is left behind and every later open
// fails cleanly.
TEST(SchedulerAccess, CreateWithoutComFailsAndLeavesNoObject) {
    HRESULT created = S_OK;
    HRESULT opened = S_OK;
    bool emptied = false;
    bool taskSet = true;
    std::thread worker([&] {
        TestAccess access;
        created = access.CreateScheduler();
        emptied = access.scheduler() == nullptr;
        ComPtr<ITask> task;
        opened = access.OpenWorkItem(kWorkItemName, task, true);
        taskSet = static_cast<bool>(task);
        access.ReleaseScheduler();
    });
    worker.join();
    EXPECT_EQ(created, CO_E_NOTINITIALIZED);
    EXPECT_TRUE(emptied);
    EXPECT_EQ(opened, E_POINTER);
    EXPECT_FALSE(taskSet);
}

}  // namespace
