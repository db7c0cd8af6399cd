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
    const bool query = action == "state";
    if (action == "ensure") {
        std::printf("result=%lu\n", EnsureSchedulerRunning([] { return true; }));
        return 0;
    }
    if (!query && action != "disable" && action != "enable") {
        std::fprintf(stderr, "usage: scheduler_service_probe state|disable|enable|ensure\n");
        return 2;
    }
    const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const DWORD access = query ? SERVICE_QUERY_STATUS : SERVICE_CHANGE_CONFIG;
    const ServiceHandle service(manager ? OpenServiceA(manager.get(), "Schedule", access)
                                        : nullptr);
    const DWORD startType = action == "disable" ? SERVICE_DISABLED : SERVICE_DEMAND_START;
    SERVICE_STATUS status{};
    const bool done =
        service && (query ? QueryServiceStatus(service.get(), &status)
                          : ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType,
                                                 SERVICE_NO_CHANGE, nullptr, nullptr, nullptr,
                                                 nullptr, nullptr, nullptr, nullptr));
    const unsigned long value =
        query ? (done ? status.dwCurrentState : 0ul) : (done ? 0ul : GetLastError());
    std::printf("%s=%lu\n", query ? "state" : "error", value);
    return done ? 0 : 1;
}
