#pragma once
// The apply flow, written once for both of the program's faces: OK of the main dialog and the
// command line's /apply. It checks the entries, saves the settings, takes the Windows account,
// makes sure the Task Scheduler runs, and creates or updates the work item "Ferrolink". The
// faces differ only in how they ask and tell (ApplyFace).
#include <windows.h>

#include <string>

#include "scheduler_access.h"
#include "scheduler_service.h"
#include "secret_string.h"

// The named mutex that gives one writer at a time its turn at the settings and the work item,
// and how long a second writer waits for it before it gives up.
inline constexpr const char* kApplyTurnName = "Global\\FerrolinkApply";
inline constexpr DWORD kApplyTurnWaitMs = 5000;

// The values that are applied: what the dialog shows or the command line gives.
struct ApplyEntries {
    std::string profileName;
    std::string intervalText;  // minutes, decimal
    std::string profileUser;
    SecretString profilePassword;
    bool accountRequired = true;  // the Task Scheduler keeps an account with the work item
    std::string accountUser;
    SecretString accountPassword;
};

// A step of the Task Scheduler that the flow takes, in its order.
enum class TaskStep { Open, Account, Command, Trigger, Save };

// How a face asks and tells. Texts are string-table ids.
class ApplyFace {
public:
    virtual ~ApplyFace() = default;
    // The entries are refused with the warning `textId`; the flow stops with nothing saved.
    virtual void TellRefused(unsigned textId) = 0;
    // Whether the account that is to run the task is accepted before anything is saved; false
    // stops the flow with nothing saved. A face that takes the account without asking checks
    // it here; one that asks for it checks it when it is given (TakeAccount).
    virtual bool AccountAccepted(bool /*accountRequired*/, const std::string& /*accountUser*/) {
        return true;
    }
    // Another writer (a dialog's OK or /apply, in another process) held the turn at applying
    // for longer than the flow waits; nothing was saved.
    virtual void TellApplyBusy() = 0;
    // The settings could not be saved (`error`, a Windows error code): whether the flow goes on
    // to the work item all the same.
    virtual bool GoOnWithoutSettings(long error) = 0;
    // The Windows account that runs the task and its password, passed by the logon check, into
    // `user` (holding the default) and `password`; false stops the flow after the save.
    virtual bool TakeAccount(std::string& user, std::string& password) = 0;
    // The Task Scheduler does not run: whether it may be started.
    virtual bool AgreesToStartScheduler() = 0;
    // The Task Scheduler does not run and could not be started (IDS_SCHEDULER_NOT_STARTED); the
    // flow goes on.
    virtual void TellSchedulerNotStarted() = 0;
    // A step of the Task Scheduler failed with `result`; the work item stays as it was stored.
    virtual void TellStepFailed(TaskStep step, HRESULT result) = 0;
};

// How the flow ended.
enum class ApplyEnd {
    Applied,          // settings saved, the work item written unless a step failed
    NoProfile,        // IDS_NO_PROFILE; nothing saved
    ValueRefused,     // a value the connector could not take, or an interval not offered
    AccountRefused,   // the face refused the account before the save (AccountAccepted)
    SettingsNotSaved, // the settings could not be saved and the face stopped there
    Busy,             // another writer applied meanwhile and kept its turn; nothing saved
    AccountNotTaken,  // no Windows account given; the settings are saved, the work item untouched
};

struct ApplyOutcome {
    ApplyEnd end = ApplyEnd::Applied;
    bool schedulerNotStarted = false;
    HRESULT taskResult = S_OK;  // the first failed step's result, else S_OK
};

// Runs the flow with `entries`. The account's password is wiped when the flow ends.
ApplyOutcome RunApplyFlow(ApplyEntries& entries, ApplyFace& face, SchedulerAccess& scheduler,
                          SchedulerServicePlatform& service);

// Saves the four settings as entered (the interval as its leading number, 0 without one);
// gives SaveSettings' result. The copy of the password made for the store is wiped.
long SaveEnteredSettings(const std::string& profileName, const std::string& intervalText,
                         const std::string& profileUser, const std::string& profilePassword);
