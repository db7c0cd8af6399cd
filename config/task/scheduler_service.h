#pragma once
// Makes sure that the Windows Task Scheduler runs before the work item is created or changed:
// on Windows 95, 98 and Me the program "mstask.exe", recognised by its window; on the NT family
// the service "Schedule". Starts it only with the caller's consent.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The platform operations the check makes, one each, so that both platform families and every
// state of the service can be proven.
class SchedulerServicePlatform {
public:
    virtual ~SchedulerServicePlatform() = default;
    // GetVersionExA's dwPlatformId (1: Windows 9x family).
    virtual DWORD PlatformId() = 0;
    // FindWindowA("SAGEWINDOWCLASS", "SYSTEM AGENT COM WINDOW") found a window.
    virtual bool SchedulerWindowExists() = 0;
    // SearchPathA for "mstask.exe" in the system's search order; the full path on success.
    // A path longer than the 260-byte buffer counts as not found (ERROR_INSUFFICIENT_BUFFER).
    virtual bool SearchSchedulerProgram(std::string& fullPath) = 0;
    // CreateProcessA of that path in a new console and process group; closes the process and
    // thread handles at once and waits for nothing.
    virtual bool StartSchedulerProgram(const std::string& fullPath) = 0;
    // OpenSCManagerA of the local machine with SC_MANAGER_CONNECT; nullptr on failure.
    virtual SC_HANDLE OpenServiceManager() = 0;
    // OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS | SERVICE_START); nullptr on
    // failure.
    virtual SC_HANDLE OpenSchedulerService(SC_HANDLE manager) = 0;
    // QueryServiceStatus: the service's dwCurrentState.
    virtual bool QueryServiceState(SC_HANDLE service, DWORD& state) = 0;
    // StartServiceA with no arguments: the start request was accepted.
    virtual bool RequestStart(SC_HANDLE service) = 0;
    // CloseServiceHandle.
    virtual void CloseService(SC_HANDLE handle) = 0;
    // GetLastError.
    virtual DWORD LastError() = 0;
};

// The real operations. Holds no state.
SchedulerServicePlatform& WindowsSchedulerService();

// Finds out whether the Task Scheduler runs and, when it does not, starts it if `mayStart`,
// asked then and only then, agrees. Returns 0 when it runs, was started, or the start was
// declined; otherwise the Windows error code of the step that failed, read after the handles
// of that path have been closed (ERROR_GEN_FAILURE when that step left none, so that a
// failure never reads as success).
DWORD EnsureSchedulerRunning(const std::function<bool()>& mayStart,
                             SchedulerServicePlatform& platform = WindowsSchedulerService());

// Whether the Task Scheduler runs, found as EnsureSchedulerRunning finds it but never started:
// nothing when it cannot be told (the service control manager or the service could not be
// opened or queried).
std::optional<bool> SchedulerIsRunning(
    SchedulerServicePlatform& platform = WindowsSchedulerService());
