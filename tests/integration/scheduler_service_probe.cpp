// Works the Task Scheduler's service in the prefix for scheduler_service_test.py, one action
// per run, and prints what it saw as key=value lines:
//   create-scheduler      creates the Task Scheduler object (which starts the service): hr=
//   state                 the service's current state: state=
//   disable | enable      makes the service disabled or demand-start: error=
//   ensure ask [answer]   EnsureSchedulerRunning(ask) on the real platform, the question
//                         answered yes or no in place of a message box: result= asked=
#include <windows.h>
#include <initguid.h>
#include <mstask.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "com_ptr.h"
#include "scheduler_service.h"
#include "win_handles.h"

namespace {

using ServiceHandle = UniqueResource<NullEmptyTraits<SC_HANDLE, CloseServiceHandle>>;

// The real platform in every call but the question, which is counted and answered as told, so
// that no message box waits for a user.
class AnsweringPlatform final : public SchedulerServicePlatform {
public:
    explicit AnsweringPlatform(int answer) : m_answer(answer) {}
    int asked = 0;

    DWORD PlatformId() override { return m_real.PlatformId(); }
    bool SchedulerWindowExists() override { return m_real.SchedulerWindowExists(); }
    bool SearchSchedulerProgram(std::string& path) override { return m_real.SearchSchedulerProgram(path); }
    bool StartSchedulerProgram(const std::string& path) override { return m_real.StartSchedulerProgram(path); }
    SC_HANDLE OpenServiceManager() override { return m_real.OpenServiceManager(); }
    SC_HANDLE OpenSchedulerService(SC_HANDLE manager) override { return m_real.OpenSchedulerService(manager); }
    bool QueryServiceState(SC_HANDLE service, DWORD& state) override { return m_real.QueryServiceState(service, state); }
    bool RequestStart(SC_HANDLE service) override { return m_real.RequestStart(service); }
    void CloseService(SC_HANDLE handle) override { m_real.CloseService(handle); }
    DWORD LastError() override { return m_real.LastError(); }
    int Ask(const std::string&, const std::string&) override {
        ++asked;
        return m_answer;
    }

private:
    SchedulerServicePlatform& m_real = WindowsSchedulerService();
    int m_answer;
};

ServiceHandle OpenSchedule(DWORD access) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return ServiceHandle();
    }
    return ServiceHandle(OpenServiceA(manager.get(), "Schedule", access));
}

int PrintState() {
    const ServiceHandle service = OpenSchedule(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.get(), &status)) {
        std::printf("error=%lu\n", GetLastError());
        return 1;
    }
    std::printf("state=%lu\n", status.dwCurrentState);
    return 0;
}

int SetStartType(DWORD startType) {
    const ServiceHandle service = OpenSchedule(SERVICE_CHANGE_CONFIG);
    const bool changed = service && ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType,
                                                         SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr);
    std::printf("error=%lu\n", changed ? 0ul : GetLastError());
    return changed ? 0 : 1;
}

int CreateScheduler() {
    CoInitialize(nullptr);
    HRESULT hr = E_FAIL;
    {
        ComPtr<ITaskScheduler> scheduler;
        hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITaskScheduler, scheduler.put_void());
    }
    CoUninitialize();
    std::printf("hr=0x%08lx\n", static_cast<unsigned long>(hr));
    return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    if (action == "create-scheduler") {
        return CreateScheduler();
    }
    if (action == "state") {
        return PrintState();
    }
    if (action == "disable" || action == "enable") {
        return SetStartType(action == "disable" ? SERVICE_DISABLED : SERVICE_DEMAND_START);
    }
    if (action == "ensure" && argc > 2) {
        AnsweringPlatform platform(argc > 3 && std::strcmp(argv[3], "no") == 0 ? IDNO : IDYES);
        const DWORD result = EnsureSchedulerRunning(std::strcmp(argv[2], "true") == 0, platform);
        std::printf("result=%lu\nasked=%d\n", result, platform.asked);
        return 0;
    }
    std::fprintf(stderr, "usage: scheduler_service_probe create-scheduler|state|disable|enable|"
                         "ensure true|false [yes|no]\n");
    return 2;
}
