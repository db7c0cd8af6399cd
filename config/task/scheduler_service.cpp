#include "scheduler_service.h"

#include "win_handles.h"

namespace {

// Room for the full path of "mstask.exe": MAX_PATH, the longest path that Windows 9x knows.
constexpr DWORD kProgramPathRoom = 260;

// A handle of the service control manager, closed through the platform that gave it, so that
// every path closes what it opened and a stand-in can count what is still open.
class ServiceHandle {
public:
    ServiceHandle(SchedulerServicePlatform& platform, SC_HANDLE handle)
        : m_platform(platform), m_handle(handle) {}
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    ~ServiceHandle() { Close(); }

    SC_HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Close() {
        if (m_handle != nullptr) {
            m_platform.CloseService(m_handle);
            m_handle = nullptr;
        }
    }

private:
    SchedulerServicePlatform& m_platform;
    SC_HANDLE m_handle;
};

// The error of a step that failed, read once every handle of its path is closed. A platform
// that leaves no error behind still gets a failure, never the success that 0 would mean to
// the caller.
DWORD FailureCode(SchedulerServicePlatform& platform) {
    const DWORD error = platform.LastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

DWORD EnsureSchedulerProgramRunning(const std::function<bool()>& mayStart,
                                     SchedulerServicePlatform& platform) {
    if (platform.SchedulerWindowExists()) {
        return ERROR_SUCCESS;
    }
    if (!mayStart()) {
        return ERROR_SUCCESS;
    }
    std::string path;
    if (!platform.SearchSchedulerProgram(path)) {
        return FailureCode(platform);
    }
    if (!platform.StartSchedulerProgram(path)) {
        return FailureCode(platform);
    }
    return ERROR_SUCCESS;
}

DWORD EnsureSchedulerServiceRunning(const std::function<bool()>& mayStart,
                                     SchedulerServicePlatform& platform) {
    ServiceHandle manager(platform, platform.OpenServiceManager());
    if (!manager) {
        return FailureCode(platform);
    }
    ServiceHandle service(platform, platform.OpenSchedulerService(manager.get()));
    // The manager is needed only to open the service.
    manager.Close();
    if (!service) {
        return FailureCode(platform);
    }
    DWORD state = 0;
    if (!platform.QueryServiceState(service.get(), state)) {
        service.Close();
        return FailureCode(platform);
    }
    // Only a running service is left alone: a pending or paused one is asked to start too,
    // and the service control manager's refusal says why it cannot.
    if (state == SERVICE_RUNNING || !mayStart()) {
        return ERROR_SUCCESS;
    }
    const bool accepted = platform.RequestStart(service.get());
    service.Close();
    return accepted ? ERROR_SUCCESS : FailureCode(platform);
}

class WindowsPlatform final : public SchedulerServicePlatform {
public:
    DWORD PlatformId() override {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        // The platform family is all that is asked, and GetVersionExA tells it on every
        // Windows from 95 on; the newer version helpers do not exist there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExA(&version);
#pragma GCC diagnostic pop
        return version.dwPlatformId;
    }

    bool SchedulerWindowExists() override {
        return FindWindowA("SAGEWINDOWCLASS", "SYSTEM AGENT COM WINDOW") != nullptr;
    }

    bool SearchSchedulerProgram(std::string& fullPath) override {
        char buffer[kProgramPathRoom] = {};
        char* filePart = nullptr;
        const DWORD length = SearchPathA(nullptr, "mstask.exe", nullptr, sizeof buffer, buffer,
                                         &filePart);
        if (length == 0) {
            return false;
        }
        // A longer path gives its size instead, and the buffer holds no path to start.
        if (length >= sizeof buffer) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        fullPath.assign(buffer, length);
        return true;
    }

    bool StartSchedulerProgram(const std::string& fullPath) override {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(fullPath.c_str(), nullptr, nullptr, nullptr, FALSE,
                            CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                            &startup, &started)) {
            return false;
        }
        // Nothing waits for the scheduler: both handles go at once.
        const UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        return true;
    }

    SC_HANDLE OpenServiceManager() override {
        return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    }

    SC_HANDLE OpenSchedulerService(SC_HANDLE manager) override {
        return OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS | SERVICE_START);
    }

    bool QueryServiceState(SC_HANDLE service, DWORD& state) override {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            return false;
        }
        state = status.dwCurrentState;
        return true;
    }

    bool RequestStart(SC_HANDLE service) override {
        return StartServiceA(service, 0, nullptr) != FALSE;
    }

    void CloseService(SC_HANDLE handle) override { CloseServiceHandle(handle); }

    DWORD LastError() override { return GetLastError(); }
};

}  // namespace

SchedulerServicePlatform& WindowsSchedulerService() {
    static WindowsPlatform platform;
    return platform;
}

DWORD EnsureSchedulerRunning(const std::function<bool()>& mayStart,
                             SchedulerServicePlatform& platform) {
    if (platform.PlatformId() == VER_PLATFORM_WIN32_WINDOWS) {
        return EnsureSchedulerProgramRunning(mayStart, platform);
    }
    return EnsureSchedulerServiceRunning(mayStart, platform);
}

std::optional<bool> SchedulerIsRunning(SchedulerServicePlatform& platform) {
    if (platform.PlatformId() == VER_PLATFORM_WIN32_WINDOWS) {
        return platform.SchedulerWindowExists();
    }
    ServiceHandle manager(platform, platform.OpenServiceManager());
    if (!manager) {
        return std::nullopt;
    }
    ServiceHandle service(platform, platform.OpenSchedulerService(manager.get()));
    manager.Close();
    DWORD state = 0;
    if (!service || !platform.QueryServiceState(service.get(), state)) {
        return std::nullopt;
    }
    return state == SERVICE_RUNNING;
}
