// What the configuration program writes into the work item "Ferrolink": the account that runs
// it, the connector with its parameters, and its one daily trigger; and what it reads back of
// them. They show nothing and return results.
#include "task_definition.h"

#include <memory>
#include <optional>
#include <string>

#include "convert_string.h"
#include "parsed_values.h"
#include "resource.h"
#include "resource_module.h"
#include "secret_string.h"
#include "settings_store.h"
#include "task_parameters.h"
#include "template_data.h"

namespace {

constexpr std::size_t kAccountBufferSize = 256;

// The room of the application name, its terminator included: a longer name is refused, not
// cut short.
constexpr std::size_t kApplicationNameRoom = 400;
// The longest a run of the connector may take before the Task Scheduler ends it. The Task
// Scheduler starts no run while the last one still goes, so one run stuck behind a client that
// never ends would otherwise hold the schedule for the default 72 hours. A connect attempt ends
// well within two minutes; five leave it room twice over, and a stuck run then costs at most
// four checks at the shortest interval and one at five minutes or more.
constexpr DWORD kMaxRunMs = 5 * 60 * 1000;
// The previous trigger's index when none is known: nothing is deleted with it.
constexpr WORD kNoTrigger = static_cast<WORD>(-1);

// A UTF-16 copy of a text, wiped when it goes: it may hold a password. Nothing when the text
// cannot be converted.
std::optional<SecretWideString> WideText(const std::string& text) {
    // Never more UTF-16 units than ANSI bytes.
    return ToWide(text, text.size() + 1);
}

// The work item's one trigger: daily from 1 January 2000 at 00:00, without end date,
// repeated every `minutesInterval` minutes for 1440 minutes, so around the clock.
TASK_TRIGGER DailyTrigger(int minutesInterval) {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.Reserved1 = 0;
    trigger.wBeginYear = 2000;
    trigger.wBeginMonth = 1;
    trigger.wBeginDay = 1;
    trigger.wEndYear = 0;
    trigger.wEndMonth = 0;
    trigger.wEndDay = 0;
    trigger.wStartHour = 0;
    trigger.wStartMinute = 0;
    trigger.MinutesDuration = 1440;
    trigger.MinutesInterval = static_cast<DWORD>(minutesInterval);
    trigger.rgFlags = 0;
    trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
    trigger.Type.Daily.DaysInterval = 1;
    trigger.Reserved2 = 0;
    trigger.wRandomMinutesInterval = 0;
    return trigger;
}

}  // namespace

HRESULT SetTaskAccount(WorkItem& task, const std::string& accountUser,
                       const std::string& accountPassword) {
    const std::optional<SecretWideString> user = WideText(accountUser);
    const std::optional<SecretWideString> password = WideText(accountPassword);
    if (!user || !password) {
        return E_INVALIDARG;
    }
    return task.SetAccountInformation(user->c_str(), password->c_str());
}

HRESULT SetTaskCommand(WorkItem& task, const std::string& profileName,
                       const std::string& profileUser, const std::string& profilePassword) {
    std::optional<std::string> folder = ReadSettingsText("InstallPath", kApplicationNameRoom);
    // Never the bare file name, which the Task Scheduler would look up through the search path.
    if (!folder || folder->empty()) folder = ProgramFolder();
    if (folder->empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    const std::optional<std::string> path = BuildConnectorPath(folder, kApplicationNameRoom - 1);
    if (!path) {
        // The work item must not be saved with a program cut short: the apply stops here.
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    const std::optional<SecretWideString> widePath = WideText(*path);
    const HRESULT applicationSet =
        widePath ? task.SetApplicationName(widePath->c_str()) : E_INVALIDARG;

    const std::optional<SecretWideString> wideParameters =
        WideText(SecretString(BuildTaskParameters(profileName, profileUser, profilePassword)));
    const HRESULT parametersSet =
        wideParameters ? task.SetParameters(wideParameters->c_str()) : E_INVALIDARG;
    // A program or parameters that were not taken fail the step: the work item would be saved
    // with its old command line (an old password). The longest run is not worth that: without
    // it the Task Scheduler's default of 72 hours holds.
    task.SetMaxRunTime(kMaxRunMs);
    return FAILED(applicationSet) ? applicationSet : parametersSet;
}

HRESULT SetTaskTrigger(WorkItem& task, const std::string& intervalText) {
    const int minutes = LeadingInteger(intervalText).value_or(0);
    const std::optional<std::uint32_t> previous = LoadTriggerId();
    task.DeleteTrigger(previous ? static_cast<WORD>(*previous) : kNoTrigger);

    WORD index = 0;
    std::unique_ptr<TaskTrigger> trigger;
    const HRESULT created = task.CreateTrigger(index, trigger);
    if (FAILED(created) || !trigger) {
        // No trigger was made, so there is no new index: the stored one stays.
        return FAILED(created) ? created : E_POINTER;
    }
    SaveTriggerId(index);
    return trigger->SetTrigger(DailyTrigger(minutes));
}

std::vector<int> OfferedIntervals() {
    std::vector<int> minutes;
    const ResourceBytes data =
        FindResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT_DATA), IDD_MAIN_DIALOG);
    for (const DialogInitItem& item : ReadDialogInitData(data.data, data.size)) {
        if (item.controlId != IDC_INTERVAL_COMBO) continue;
        if (const std::optional<int> number = LeadingInteger(item.text)) minutes.push_back(*number);
    }
    return minutes;
}

void TakeAccountOfWorkItem(WorkItem& task, bool& accountRequired, std::string& accountUser) {
    std::wstring account;
    const HRESULT result = task.GetAccountInformation(account);
    if (result == SCHED_E_NO_SECURITY_SERVICES) {
        accountRequired = false;
    } else if (SUCCEEDED(result)) {
        // A name that does not fit is treated like an account that could not be read.
        if (const std::optional<SecretString> narrow = ToAnsi(account, kAccountBufferSize)) {
            accountUser = LastAccountPiece(*narrow);
        }
    }
}
