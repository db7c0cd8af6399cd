#include "apply_flow.h"

#include "convert_string.h"
#include "parsed_values.h"
#include "resource.h"
#include "resource_module.h"
#include "settings_store.h"
#include "task_definition.h"
#include "task_parameters.h"
#include "template_data.h"
#include "win_handles.h"

namespace {


// The turn at applying settings and work item, one writer at a time across processes (the
// dialog's OK, /apply), so that one profile is never stored with another's password.
class ApplyTurn {
public:
    ApplyTurn() : m_mutex(CreateMutexA(nullptr, FALSE, kApplyTurnName)) {
        if (m_mutex) {
            const DWORD waited = WaitForSingleObject(m_mutex.get(), kApplyTurnWaitMs);
            // An abandoned turn was left by a writer that ended; what it wrote is overwritten.
            m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ApplyTurn(const ApplyTurn&) = delete;
    ApplyTurn& operator=(const ApplyTurn&) = delete;
    ~ApplyTurn() {
        if (m_held) ReleaseMutex(m_mutex.get());
    }
    bool held() const { return m_held; }

private:
    UniqueHandle m_mutex;
    bool m_held = false;
};

bool IsOffered(const std::string& intervalText) {
    const std::optional<int> minutes = LeadingInteger(intervalText);
    if (!minutes || std::to_string(*minutes) != intervalText) return false;
    for (const int offered : OfferedIntervals()) {
        if (offered == *minutes) return true;
    }
    return false;
}

// The first failing step is told and ends the chain; the work item is saved only when every
// step before it succeeded.
HRESULT WriteWorkItem(ApplyEntries& entries, ApplyFace& face, SchedulerAccess& scheduler) {
    std::unique_ptr<WorkItem> task;
    const auto failed = [&face](TaskStep step, HRESULT result) {
        if (FAILED(result)) face.TellStepFailed(step, result);
        return FAILED(result);
    };
    HRESULT result = scheduler.OpenWorkItem(kWorkItemName, task, true);
    if (failed(TaskStep::Open, result)) return result;
    if (entries.accountRequired) {
        result = SetTaskAccount(*task, entries.accountUser, entries.accountPassword);
        if (failed(TaskStep::Account, result)) return result;
    }
    result =
        SetTaskCommand(*task, entries.profileName, entries.profileUser, entries.profilePassword);
    if (failed(TaskStep::Command, result)) return result;
    result = SetTaskTrigger(*task, entries.intervalText);
    if (failed(TaskStep::Trigger, result)) return result;
    result = task->Save();
    return failed(TaskStep::Save, result) ? result : S_OK;
}

}  // namespace

ApplyOutcome RunApplyFlow(ApplyEntries& entries, ApplyFace& face, SchedulerAccess& scheduler,
                          SchedulerServicePlatform& service) {
    ApplyOutcome outcome;
    if (entries.profileName.empty()) {
        face.TellRefused(IDS_NO_PROFILE);
        outcome.end = ApplyEnd::NoProfile;
        return outcome;
    }
    // A task with values that the connector cannot take would fail on every run, and only
    // the event log would say so.
    if (const auto warning = RefusedValuesWarning(entries.profileName, entries.profileUser,
                                                  entries.profilePassword)) {
        face.TellRefused(*warning);
        outcome.end = ApplyEnd::ValueRefused;
        return outcome;
    }
    if (!IsOffered(entries.intervalText)) {
        face.TellRefused(IDS_INTERVAL_REFUSED);
        outcome.end = ApplyEnd::ValueRefused;
        return outcome;
    }
    if (!face.AccountAccepted(entries.accountRequired, entries.accountUser)) {
        outcome.end = ApplyEnd::AccountRefused;
        return outcome;
    }
    const ApplyTurn turn;
    if (!turn.held()) {
        face.TellApplyBusy();
        outcome.end = ApplyEnd::Busy;
        return outcome;
    }
    if (const long saved = SaveEnteredSettings(entries.profileName, entries.intervalText,
                                               entries.profileUser, entries.profilePassword);
        saved != 0 && !face.GoOnWithoutSettings(saved)) {
        outcome.end = ApplyEnd::SettingsNotSaved;
        return outcome;
    }

    if (entries.accountRequired &&
        !face.TakeAccount(entries.accountUser, entries.accountPassword)) {
        outcome.end = ApplyEnd::AccountNotTaken;
        return outcome;
    }
    if (EnsureSchedulerRunning([&face] { return face.AgreesToStartScheduler(); }, service) != 0) {
        outcome.schedulerNotStarted = true;
        face.TellSchedulerNotStarted();
    }
    outcome.taskResult = WriteWorkItem(entries, face, scheduler);
    entries.accountPassword.Wipe();
    return outcome;
}

long SaveEnteredSettings(const std::string& profileName, const std::string& intervalText,
                         const std::string& profileUser, const std::string& profilePassword) {
    ConnectorSettings settings{profileName, LeadingInteger(intervalText).value_or(0), profileUser,
                               profilePassword};
    return SaveSettings(settings);
}
