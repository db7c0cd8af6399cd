#include "scheduler_access.h"

#include "convert_string.h"

namespace {

// Room for a work item's name in UTF-16, its terminator included.
constexpr int kWorkItemNameRoom = 256;

}  // namespace

HRESULT SchedulerAccess::CreateScheduler() {
    m_scheduler.reset();
    // The object is taken only from a success, so that a failed creation leaves no pointer
    // behind for the later operations to use.
    ComPtr<ITaskScheduler> scheduler;
    const HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ITaskScheduler, scheduler.put_void());
    if (SUCCEEDED(hr)) {
        m_scheduler = std::move(scheduler);
    }
    return hr;
}

void SchedulerAccess::ReleaseScheduler() { m_scheduler.reset(); }

HRESULT SchedulerAccess::OpenWorkItem(const char* name, ComPtr<ITask>& task, bool create) {
    if (!m_scheduler) {
        return E_POINTER;
    }
    if (name == nullptr) {
        return E_INVALIDARG;
    }
    // A name that does not fit is refused rather than opened cut short or empty.
    wchar_t wideName[kWorkItemNameRoom];
    if (ConvertString(const_cast<char*>(name), wideName, kWorkItemNameRoom, 1) == 0) {
        return E_INVALIDARG;
    }
    ComPtr<IUnknown> item;
    HRESULT hr = m_scheduler->Activate(wideName, IID_ITask, item.put());
    if (FAILED(hr) && create) {
        hr = m_scheduler->NewWorkItem(wideName, CLSID_CTask, IID_ITask, item.put());
    }
    if (FAILED(hr)) {
        return hr;
    }
    return item.QueryInterface(IID_ITask, task);
}
