#include "delete_command.h"

#include "command_line_options.h"
#include "command_messages.h"
#include "resource.h"

int RunDelete(CommandChannel& channel, SchedulerAccess& scheduler, HRESULT created) {
    if (FAILED(created)) {
        channel.Error(CommandTextWith(IDS_CLI_SCHEDULER_UNREACHABLE, HresultText(created)));
        return kExitSchedulerFailed;
    }
    const HRESULT deleted = scheduler.DeleteWorkItem(kWorkItemName);
    if (SUCCEEDED(deleted)) {
        channel.Out(CommandText(IDS_CLI_TASK_DELETED));
        return kExitDone;
    }
    // A machine without the task is where a script wanted it: not an error.
    if (deleted == kNoSuchWorkItem) {
        channel.Out(CommandText(IDS_CLI_NO_TASK_TO_DELETE));
        return kExitDone;
    }
    channel.Error(CommandText(IDS_DELETE_FAILED) + "\n" +
                  CommandTextWith(IDS_CLI_RESULT, HresultText(deleted)));
    return kExitSchedulerFailed;
}
