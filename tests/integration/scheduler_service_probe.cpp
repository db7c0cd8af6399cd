// Works Wine's service "Schedule", one action per run, printing one key=value line: state
// (state=), disable or enable (makes it disabled or demand-start: error=), and ensure
// (EnsureSchedulerRunning without a question: result=).
#include <windows.h>

#include <cstdio>
#include <string>

#include "scheduler_service.h"
#include "win_handles.h"

using ServiceHandle = UniqueResource<NullEmptyTraits<SC_HANDLE, CloseServiceHandle>>;

int main(int argc, char** argv) {
    const std::string action = argc > 1 ? argv[1] : "";
    if (action == "ensure") {
        std::printf("result=%lu\n", EnsureSchedulerRunning(false));
        return 0;
    }
    const bool query = action == "state";
    if (!query && action != "disable" && action != "enable") {
        std::fprintf(stderr, "usage: scheduler_service_probe state|disable|enable|ensure\n");
        return 2;
    }
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceHandle service(manager ? OpenServiceA(manager.get(), "Schedule",
                                                       query ? SERVICE_QUERY_STATUS : SERVICE_CHANGE_CONFIG)
                                        : nullptr);
    SERVICE_STATUS status{};
    if (query) {
        const bool queried = service && QueryServiceStatus(service.get(), &status);
        std::printf("state=%lu\n", queried ? status.dwCurrentState : 0ul);
        return queried ? 0 : 1;
    }
    const DWORD startType = action == "disable" ? SERVICE_DISABLED : SERVICE_DEMAND_START;
    const bool changed = service && ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType,
                                                         SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr, nullptr);
    std::printf("error=%lu\n", changed ? 0ul : GetLastError());
    return changed ? 0 : 1;
}
