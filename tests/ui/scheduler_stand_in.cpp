// The Task Scheduler stand-in of main_dialog_test.cpp. It is written against the C form of the
// interfaces, which is the COM binary layout itself, so that it fills in only the methods the
// main dialog calls (the scheduler is only activated and released); the others stay empty and
// are never reached.
#define CINTERFACE
#include <windows.h>
#include <mstask.h>

#include <cstring>
#include <cwchar>

namespace {

bool g_taskExists = false;
HRESULT g_accountResult = S_OK;
const wchar_t* g_account = L"";
long g_references = 0;
ITaskVtbl g_taskTable{};
ITaskSchedulerVtbl g_schedulerTable{};
ITask g_task{&g_taskTable};
ITaskScheduler g_scheduler{&g_schedulerTable};

template <class Interface>
ULONG WINAPI AddRef(Interface*) {
    return static_cast<ULONG>(++g_references);
}

template <class Interface>
ULONG WINAPI Release(Interface*) {
    return static_cast<ULONG>(--g_references);
}

HRESULT WINAPI QueryInterface(ITask* task, REFIID iid, void** out) {
    *out = iid == IID_IUnknown || iid == IID_ITask ? task : nullptr;
    return *out != nullptr ? (AddRef(task), S_OK) : E_NOINTERFACE;
}

HRESULT WINAPI GetAccountInformation(ITask*, LPWSTR* account) {
    if (FAILED(g_accountResult)) {
        return g_accountResult;
    }
    const std::size_t bytes = (std::wcslen(g_account) + 1) * sizeof(wchar_t);
    *account = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    std::memcpy(*account, g_account, bytes);
    return S_OK;
}

HRESULT WINAPI Activate(ITaskScheduler*, LPCWSTR name, REFIID, IUnknown** item) {
    if (!g_taskExists || std::wcscmp(name, L"Ferrolink") != 0) {
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    AddRef(&g_task);
    *item = reinterpret_cast<IUnknown*>(&g_task);
    return S_OK;
}

}  // namespace

void* SchedulerStandIn(bool taskExists, HRESULT accountResult, const wchar_t* account) {
    g_taskTable.QueryInterface = QueryInterface;
    g_taskTable.AddRef = AddRef<ITask>;
    g_taskTable.Release = Release<ITask>;
    g_taskTable.GetAccountInformation = GetAccountInformation;
    g_schedulerTable.AddRef = AddRef<ITaskScheduler>;
    g_schedulerTable.Release = Release<ITaskScheduler>;
    g_schedulerTable.Activate = Activate;
    g_taskExists = taskExists;
    g_accountResult = accountResult;
    g_account = account;
    g_references = 1;
    return &g_scheduler;
}

long SchedulerStandInReferences() { return g_references; }
