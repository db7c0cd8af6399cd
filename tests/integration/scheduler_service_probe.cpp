// Works the Task Scheduler's service in the prefix, one action per run, and prints what it
// saw as a key=value line:
//   state             the service's current state: state=
//   disable | enable  makes the service disabled or demand-start: error=
//   ensure            EnsureSchedulerRunning without a question: result=
#include <windows.h>

#include <cstdio>
#include <string>

#include "scheduler_service.h"
#include "win_handles.h"

namespace {

using ServiceHandle = UniqueResource<NullEmptyTraits<SC_HANDLE, CloseServiceHandle>>;

ServiceHandle OpenSchedule(DWORD access) {
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    return ServiceHandle(manager ? OpenServiceA(manager.get(), "Schedule", access) : nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    if (action == "state") {
        const ServiceHandle service = OpenSchedule(SERVICE_QUERY_STATUS);
        SERVICE_STATUS status{};
        const bool queried = service && QueryServiceStatus(service.get(), &status);
        std::printf("state=%lu\n", queried ? status.dwCurrentState : 0ul);
        return queried ? 0 : 1;
    }
    if (action == "disable" || action == "enable") {
        const ServiceHandle service = OpenSchedule(SERVICE_CHANGE_CONFIG);
        const DWORD startType = action == "disable" ? SERVICE_DISABLED : SERVICE_DEMAND_START;
        const bool changed = service && ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType,
                                                             SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
        std::printf("error=%lu\n", changed ? 0ul : GetLastError());
        return changed ? 0 : 1;
    }
    if (action == "ensure") {
        std::printf("result=%lu\n", EnsureSchedulerRunning(false));
        return 0;
    }
    std::fprintf(stderr, "usage: scheduler_service_probe state|disable|enable|ensure\n");
    return 2;
}
