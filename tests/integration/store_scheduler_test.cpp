// The settings store against the registry and the scheduler access against the Task
// Scheduler of the test's own Wine prefix. Each test starts and ends without the product's
// key tree and without the work item's file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <mstask.h>

#include "com_ptr.h"
#include "convert_string.h"
#include "scheduler_access.h"
#include "settings_store.h"
#include "win_handles.h"

namespace {

constexpr const char* kProductKey = "Software\\Halvane";

// A registry value: its type and its bytes.
using Raw = std::pair<DWORD, std::string>;

// A text and its terminating NUL.
Raw Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }

Raw Dword(std::int32_t value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

void Put(const char* name, const Raw& value) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, value.first,
                              value.second.data(), static_cast<DWORD>(value.second.size())), 0)
        << name;
}

// The value as stored; REG_NONE without bytes when it is missing.
Raw Get(const char* name) {
    std::string bytes(4096, '\0');
    DWORD type = REG_NONE, size = 4096;
    const LONG read = RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name,
                                   RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size);
    return read == ERROR_SUCCESS ? Raw(type, bytes.substr(0, size)) : Raw(REG_NONE, "");
}

auto Fields(const ConnectorSettings& s) {
    return std::make_tuple(s.profileName, s.intervalMinutes, s.profileUser, s.profilePassword);
}

std::string Text(std::size_t length) { return std::string(length, 't'); }

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey); }
};

TEST_F(SettingsStoreTest, MissingKeyOrValuesLoadAsAbsentFields) {
    EXPECT_EQ(Fields(LoadSettings()), Fields({}));
    EXPECT_FALSE(ReadSettingsText("HelpFile", 200));
    Put("TriggerID", Dword(3));
    EXPECT_EQ(Fields(LoadSettings()), Fields({}));
}

// Each text is read into its own buffer of 400 bytes, NUL included, and the interval from at
// most 4 bytes: a value that does not fit is absent and leaves the others loaded. A text
// stored without its NUL is taken to the end of its data, never beyond it.
TEST_F(SettingsStoreTest, EachValueLoadsOnlyWhenItFitsItsBuffer) {
    const char* const names[] = {"Profile", "Interval", "ProfileUsername", "ProfilePassword"};
    const struct { Raw values[4]; ConnectorSettings loaded; } cases[] = {
        {{Sz(""), Dword(7), Sz(Text(398)), Sz(Text(399))}, {"", 7, Text(398), Text(399)}},
        {{Sz(Text(400)), Dword(-5), Sz(Text(399)), Sz("x")}, {std::nullopt, -5, Text(399), "x"}},
        {{Sz(Text(399)), {REG_QWORD, std::string("\5\0\0\0\0\0\0\0", 8)}, Sz(Text(401)),
          Sz(Text(400))}, {Text(399), std::nullopt, std::nullopt, std::nullopt}},
        {{{REG_SZ, "abc"}, {REG_BINARY, std::string("\7\0\0\0\0", 5)}, {REG_BINARY, Text(400)},
          {REG_SZ, Text(401)}}, {"abc", std::nullopt, Text(400), std::nullopt}},
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < 4; ++i) {
            Put(names[i], c.values[i]);
        }
        EXPECT_EQ(Fields(LoadSettings()), Fields(c.loaded)) << c.values[0].second.size();
    }
}

// The first save creates the key and its parent; the second replaces the four values, writing
// absent texts as one-byte REG_SZ values and an absent interval as 0, and keeps other values.
TEST_F(SettingsStoreTest, SaveWritesFourValuesOfExactTypeAndSize) {
    const ConnectorSettings full{"Office", -5, "DOMAIN\\vpnuser", "p@ss w\xF6rd"};
    ASSERT_EQ(SaveSettings(full), 0);
    EXPECT_EQ(Get("Profile"), Sz("Office"));
    EXPECT_EQ(Get("Interval"), Raw(REG_DWORD, "\xfb\xff\xff\xff"));
    EXPECT_EQ(Get("ProfileUsername"), Sz("DOMAIN\\vpnuser"));
    EXPECT_EQ(Get("ProfilePassword"), Sz("p@ss w\xF6rd"));

    Put("InstallPath", Sz("C:\\Ferrolink"));
    const ConnectorSettings sparse{"Home", std::nullopt, "", std::nullopt};
    ASSERT_EQ(SaveSettings(sparse), 0);
    EXPECT_EQ(Get("Profile"), Sz("Home"));
    EXPECT_EQ(Get("Interval"), Raw(REG_DWORD, std::string(4, '\0')));
    EXPECT_EQ(Get("ProfileUsername"), Raw(REG_SZ, std::string(1, '\0')));
    EXPECT_EQ(Get("ProfilePassword"), Raw(REG_SZ, std::string(1, '\0')));
    EXPECT_EQ(Get("InstallPath"), Sz("C:\\Ferrolink"));
}

// A key that cannot be created (here: its parent is volatile) is reported by its error code.
TEST_F(SettingsStoreTest, SaveReturnsTheErrorOfTheKeyCreation) {
    RegistryKey parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, parent.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(SaveSettings({"Office", 5, "u", "p"}), ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(Get("Profile"), Raw(REG_NONE, ""));
}

TEST_F(SettingsStoreTest, ReadSettingsTextNeedsRoomForTheNul) {
    const struct { const char* name; std::size_t length; unsigned long bufferSize; bool read; }
        cases[] = {{"HelpFile", 199, 200, true}, {"HelpFile", 200, 200, false},
                   {"InstallPath", 399, 400, true}, {"InstallPath", 400, 400, false}};
    for (const auto& c : cases) {
        Put(c.name, Sz(Text(c.length)));
        EXPECT_EQ(ReadSettingsText(c.name, c.bufferSize),
                  c.read ? std::optional<std::string>(Text(c.length)) : std::nullopt)
            << c.name << ' ' << c.length;
    }
}

TEST(ConvertString, RoundTripsAnsiTextThroughUtf16) {
    ASSERT_EQ(GetACP(), 1252u);
    char ansi[] = "Ferrolink \xE9t\xE9", back[32];
    wchar_t wide[32];
    EXPECT_EQ(ConvertString(ansi, wide, 32, 1), 1);
    EXPECT_STREQ(wide, L"Ferrolink \u00e9t\u00e9");
    EXPECT_EQ(ConvertString(back, wide, 32, 0), 1);
    EXPECT_STREQ(back, ansi);
}

// "Ferrolink" (9 characters and the terminator) goes into a target of 15 '#' and a terminator:
// a text that does not fit its room fails and leaves the target empty, nothing is written past
// the room or into the source, and another direction touches neither buffer.
TEST(ConvertString, NeverWritesPastItsRoom) {
    const std::string source("Ferrolink", 10), untouched = std::string(15, '#') + '\0';
    // The target's text afterwards; nullptr: untouched.
    const struct { int direction, room, result; const char* text; } cases[] = {
        {1, 10, 1, "Ferrolink"}, {1, 9, 0, ""}, {1, 0, 0, nullptr}, {1, -1, 0, nullptr},
        {0, 10, 1, "Ferrolink"}, {0, 9, 0, ""}, {0, 0, 0, nullptr}, {0, -1, 0, nullptr},
        {2, 16, 0, nullptr},     {-1, 16, 0, nullptr},              {100, 16, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.direction << ' ' << c.room);
        std::string ansi = untouched, wideText = untouched;
        (c.direction == 0 ? wideText : ansi).replace(0, source.size(), source);
        std::wstring wide(wideText.begin(), wideText.end());
        EXPECT_EQ(ConvertString(ansi.data(), wide.data(), c.room, c.direction), c.result);
        wideText.assign(wide.begin(), wide.end());
        const std::string& target = c.direction == 0 ? ansi : wideText;
        EXPECT_EQ((c.direction == 0 ? wideText : ansi).substr(0, source.size()), source);
        EXPECT_STREQ(target.c_str(), c.text != nullptr ? c.text : untouched.c_str());
        const auto room = static_cast<std::size_t>(c.room > 0 ? c.room : 0);
        EXPECT_EQ(target.substr(room), untouched.substr(room));
    }
    // A missing source fails and leaves the target empty.
    char ansi[] = "abc";
    wchar_t wide[] = L"xyz";
    EXPECT_EQ(ConvertString(nullptr, wide, 4, 1) + ConvertString(ansi, nullptr, 4, 0), 0);
    EXPECT_EQ(wide[0], L'\0');
    EXPECT_EQ(ansi[0], '\0');
}

const std::string kJobPath = std::string("C:\\windows\\Tasks\\") + kWorkItemName + ".job";

bool JobExists() { return GetFileAttributesA(kJobPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The scheduler service may still be reading a job that was just saved: a file in use is
// tried again for a while.
bool RemoveJob() {
    for (int i = 0; i < 50 && JobExists() && !DeleteFileA(kJobPath.c_str()); ++i) {
        Sleep(100);
    }
    return !JobExists();
}

// Runs inside COM, as the program does; the scheduler object is released before COM ends.
class SchedulerAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_TRUE(RemoveJob());
    }
    void TearDown() override {
        m_access.ReleaseScheduler();
        CoUninitialize();
        EXPECT_TRUE(RemoveJob());
    }

    SchedulerAccess m_access;
};

// What the Task Scheduler stored under the work item's name, read with its own interfaces.
struct Stored {
    HRESULT opened = E_FAIL;
    std::wstring application, parameters;
    std::vector<TASK_TRIGGER> triggers;
};

Stored ReadStored() {
    Stored stored;
    ComPtr<ITaskScheduler> scheduler;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskScheduler, scheduler.put_void()))) {
        return stored;
    }
    ComPtr<ITask> task;
    stored.opened = scheduler->Activate(L"Ferrolink", IID_ITask,
                                        reinterpret_cast<IUnknown**>(task.put()));
    if (FAILED(stored.opened)) {
        return stored;
    }
    const auto text = [&task](HRESULT (STDMETHODCALLTYPE ITask::*get)(LPWSTR*)) {
        LPWSTR value = nullptr;
        const HRESULT hr = (task.get()->*get)(&value);
        std::wstring copy = SUCCEEDED(hr) && value != nullptr ? value : L"<unreadable>";
        CoTaskMemFree(value);
        return copy;
    };
    stored.application = text(&ITask::GetApplicationName);
    stored.parameters = text(&ITask::GetParameters);
    WORD count = 0;
    task->GetTriggerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER fields{};
        fields.cbTriggerSize = sizeof fields;
        if (SUCCEEDED(task->GetTrigger(i, trigger.put())) && SUCCEEDED(trigger->GetTrigger(&fields))) {
            stored.triggers.push_back(fields);
        }
    }
    return stored;
}

auto TriggerFields(const TASK_TRIGGER& t) {
    return std::make_tuple(t.cbTriggerSize, t.wBeginYear, t.wBeginMonth, t.wBeginDay, t.wEndYear,
                           t.wEndMonth, t.wEndDay, t.wStartHour, t.wStartMinute, t.MinutesDuration,
                           t.MinutesInterval, t.rgFlags, static_cast<int>(t.TriggerType),
                           t.Type.Daily.DaysInterval, t.wRandomMinutesInterval);
}

// A created item exists only in memory until it is saved; once saved, it is what opening (with
// or without create) finds, with the program, parameters and trigger it was given. A trigger
// deleted and made anew keeps the item at one trigger. Deleting it removes the stored item.
TEST_F(SchedulerAccessTest, TheTaskSchedulersWorkItemKeepsWhatItWasGiven) {
    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    std::unique_ptr<WorkItem> task;
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, false),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(task);
    ASSERT_EQ(m_access.OpenWorkItem(kWorkItemName, task, true), S_OK);
    ASSERT_TRUE(task);
    EXPECT_FALSE(JobExists());
    WorkItem* const held = task.get();
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, false),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(task.get(), held);

    TASK_TRIGGER fields{};
    fields.cbTriggerSize = sizeof fields;
    fields.wBeginYear = 2001;
    fields.wBeginMonth = 2;
    fields.wBeginDay = 3;
    fields.wStartHour = 4;
    fields.wStartMinute = 5;
    fields.MinutesDuration = 1440;
    fields.MinutesInterval = 7;
    fields.TriggerType = TASK_TIME_TRIGGER_DAILY;
    fields.Type.Daily.DaysInterval = 1;
    EXPECT_EQ(task->SetApplicationName(L"C:\\Prog\\FL\\Ferrolink.exe"), S_OK);
    EXPECT_EQ(task->SetParameters(L"\"Office\" -u \"jo\""), S_OK);
    WORD index = 99;
    std::unique_ptr<TaskTrigger> trigger;
    ASSERT_EQ(task->CreateTrigger(index, trigger), S_OK);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(trigger->SetTrigger(fields), S_OK);
    trigger.reset();
    ASSERT_EQ(task->Save(), S_OK);
    EXPECT_TRUE(JobExists());
    // Wine keeps no account: it says so with a failure and gives no name.
    std::wstring account = L"untouched";
    EXPECT_TRUE(FAILED(task->GetAccountInformation(account)));
    EXPECT_EQ(account, L"untouched");
    task.reset();

    Stored stored = ReadStored();
    ASSERT_EQ(stored.opened, S_OK);
    EXPECT_EQ(stored.application, L"C:\\Prog\\FL\\Ferrolink.exe");
    EXPECT_EQ(stored.parameters, L"\"Office\" -u \"jo\"");
    ASSERT_EQ(stored.triggers.size(), 1u);
    EXPECT_EQ(TriggerFields(stored.triggers[0]), TriggerFields(fields));

    for (const bool create : {false, true}) {
        ASSERT_EQ(m_access.OpenWorkItem(kWorkItemName, task, create), S_OK) << create;
    }
    EXPECT_EQ(task->DeleteTrigger(0), S_OK);
    ASSERT_EQ(task->CreateTrigger(index, trigger), S_OK);
    EXPECT_EQ(index, 0);
    fields.MinutesInterval = 9;
    ASSERT_EQ(trigger->SetTrigger(fields), S_OK);
    trigger.reset();
    ASSERT_EQ(task->Save(), S_OK);
    task.reset();
    stored = ReadStored();
    ASSERT_EQ(stored.triggers.size(), 1u);
    EXPECT_EQ(stored.triggers[0].MinutesInterval, 9u);

    EXPECT_EQ(m_access.DeleteWorkItem(kWorkItemName), S_OK);
    EXPECT_FALSE(JobExists());
    EXPECT_EQ(m_access.DeleteWorkItem(kWorkItemName), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    std::unique_ptr<WorkItem> longest;
    EXPECT_EQ(m_access.OpenWorkItem(std::string(255, 'F').c_str(), longest, true), S_OK);
}

// Without a scheduler object (never created, released, or failed to create without COM), or
// with a name missing or longer than the 255 units of the conversion, an open fails cleanly.
TEST_F(SchedulerAccessTest, OpenFailsWithoutASchedulerOrAFittingName) {
    std::unique_ptr<WorkItem> task;
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, false), E_POINTER);
    EXPECT_EQ(m_access.DeleteWorkItem(kWorkItemName), E_POINTER);
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, true), E_POINTER);
    ASSERT_EQ(m_access.CreateScheduler(), S_OK);
    EXPECT_EQ(m_access.OpenWorkItem(std::string(256, 'F').c_str(), task, true), E_INVALIDARG);
    EXPECT_EQ(m_access.OpenWorkItem(nullptr, task, true), E_INVALIDARG);
    EXPECT_EQ(m_access.DeleteWorkItem(std::string(256, 'F').c_str()), E_INVALIDARG);
    m_access.ReleaseScheduler();
    EXPECT_EQ(m_access.OpenWorkItem(kWorkItemName, task, true), E_POINTER);

    HRESULT created = S_OK, opened = S_OK;
    std::thread([&] {
        SchedulerAccess access;
        created = access.CreateScheduler();
        opened = access.OpenWorkItem(kWorkItemName, task, true);
    }).join();
    EXPECT_EQ(created, CO_E_NOTINITIALIZED);
    EXPECT_EQ(opened, E_POINTER);
    EXPECT_FALSE(task);
    EXPECT_FALSE(JobExists());
}

}  // namespace
