#include "apply_command.h"

#include <algorithm>
#include <cctype>

#include "apply_flow.h"
#include "client_contract.h"
#include "command_messages.h"
#include "installed_client.h"
#include "profile_choice.h"
#include "resource.h"
#include "settings_store.h"
#include "task_definition.h"

namespace {

unsigned StepTextId(TaskStep step) {
    switch (step) {
    case TaskStep::Open: return IDS_STEP_OPEN;
    case TaskStep::Account: return IDS_STEP_ACCOUNT;
    case TaskStep::Command: return IDS_STEP_COMMAND;
    case TaskStep::Trigger: return IDS_STEP_TRIGGER;
    case TaskStep::Save: break;
    }
    return IDS_STEP_SAVE;
}

// The command line's face: lines on standard error, switches in place of questions.
class CommandFace final : public ApplyFace {
public:
    CommandFace(const ConfigCommandLine& line, CommandChannel& channel, LogonChecker& logon)
        : m_line(line), m_channel(channel), m_logon(logon) {}

    void TellRefused(unsigned textId) override {
        m_channel.Error(CommandText(textId));
    }
    void TellApplyBusy() override {
        m_channel.Error(CommandText(IDS_APPLY_BUSY));
    }
    bool GoOnWithoutSettings(long error) override {
        m_channel.Error(CommandTextWith(IDS_CLI_SETTINGS_NOT_SAVED, std::to_string(error)));
        return false;
    }
    // The account was checked before anything was saved (AccountAccepted).
    bool TakeAccount(std::string& user, std::string& password) override {
        if (m_line.account) user = *m_line.account;
        password = m_line.accountPassword.value_or("");
        return true;
    }
    // Everything is checked before anything is saved, so that the store and the task cannot
    // disagree: the account that is to run the task must be given with its password and pass
    // the logon check.
    bool AccountAccepted(bool accountRequired, const std::string& defaultUser) override {
        if (!accountRequired) return true;
        if (!m_line.accountPassword) {
            m_channel.Error(CommandText(IDS_CLI_ACCOUNT_PASSWORD_NEEDED));
            return false;
        }
        if (m_logon.TryBatchLogon(m_line.account.value_or(defaultUser), *m_line.accountPassword) ==
            LogonOutcome::Rejected) {
            m_channel.Error(CommandText(IDS_INVALID_CREDENTIALS));
            return false;
        }
        return true;
    }
    // The command is the consent.
    bool AgreesToStartScheduler() override { return true; }
    void TellSchedulerNotStarted() override {
        m_channel.Error(CommandText(IDS_SCHEDULER_NOT_STARTED));
    }
    void TellStepFailed(TaskStep step, HRESULT result) override {
        m_channel.Error(CommandTextWith(IDS_CLI_STEP_FAILED, CommandText(StepTextId(step))) + "\n" +
                        CommandTextWith(IDS_CLI_RESULT, HresultText(result)));
    }

private:
    const ConfigCommandLine& m_line;
    CommandChannel& m_channel;
    LogonChecker& m_logon;
};

// The exit code of how the flow ended. An applied flow ends with 15 when a step of the Task
// Scheduler failed, else with 16 when only the Task Scheduler service is missing.
int ExitCodeOf(const ApplyOutcome& outcome) {
    switch (outcome.end) {
    case ApplyEnd::NoProfile: return kExitNoProfile;
    case ApplyEnd::ValueRefused: return kExitValueRefused;
    case ApplyEnd::AccountRefused:
    case ApplyEnd::AccountNotTaken: return kExitAccountRefused;
    case ApplyEnd::SettingsNotSaved: return kExitSettingsNotSaved;
    case ApplyEnd::Busy: return kExitApplyBusy;
    case ApplyEnd::Applied: break;
    }
    if (FAILED(outcome.taskResult)) return kExitSchedulerFailed;
    return outcome.schedulerNotStarted ? kExitSchedulerNotRunning : kExitDone;
}

// The interval to apply: the one given, else the stored one when the list offers it, else the
// list's default, as the dialog would show it.
std::string IntervalToApply(const ConfigCommandLine& line, const ConnectorSettings& stored) {
    if (line.intervalText) return *line.intervalText;
    if (stored.intervalMinutes) {
        const std::vector<int> offered = OfferedIntervals();
        if (std::find(offered.begin(), offered.end(), *stored.intervalMinutes) != offered.end()) {
            return std::to_string(*stored.intervalMinutes);
        }
    }
    return kDefaultInterval;
}

}  // namespace

int RunApply(const ConfigCommandLine& line, CommandChannel& channel, SchedulerAccess& scheduler,
             HRESULT created, LogonChecker& logon, SchedulerServicePlatform& service) {
    const std::optional<std::string> folder = ReadVpnClientFolder();
    if (!folder) {
        channel.Error(CommandText(IDS_CLIENT_NOT_FOUND));
        return kExitClientNotFound;
    }
    ConnectorSettings stored = LoadSettings();
    ApplyEntries entries;
    const std::optional<std::string> profile =
        ChooseProfile(line, stored.profileName, WithTrailingBackslash(*folder), channel);
    if (!profile) {
        return kExitNoProfile;
    }
    entries.profileName = *profile;
    if (FAILED(created)) {
        channel.Error(CommandTextWith(IDS_CLI_SCHEDULER_UNREACHABLE, HresultText(created)));
        return kExitSchedulerFailed;
    }
    entries.intervalText = IntervalToApply(line, stored);
    entries.profileUser = line.user.value_or(stored.profileUser.value_or(""));
    entries.profilePassword = line.password.value_or(stored.profilePassword.value_or(""));

    // The account as the dialog pre-fills it: the existing task's, else the logged-on user's.
    entries.accountUser = LoggedOnUserName();
    std::unique_ptr<WorkItem> existing;
    if (SUCCEEDED(scheduler.OpenWorkItem(kWorkItemName, existing, false))) {
        TakeAccountOfWorkItem(*existing, entries.accountRequired, entries.accountUser);
        existing.reset();
    }

    CommandFace face(line, channel, logon);
    const ApplyOutcome outcome = RunApplyFlow(entries, face, scheduler, service);
    if (outcome.end == ApplyEnd::Applied && SUCCEEDED(outcome.taskResult)) {
        channel.Out(CommandText(IDS_CLI_APPLIED));
    }
    return ExitCodeOf(outcome);
}
