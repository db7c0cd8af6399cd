#include "scheduler_access.h"

#include "convert_string.h"

namespace {

// Room for a work item's name in UTF-16, its terminator included.
constexpr int kWorkItemNameRoom = 256;

// A name that does not fit is refused rather than used cut short or empty.
HRESULT WideName(const char* name, wchar_t (&wide)[kWorkItemNameRoom]) {
    if (name == nullptr ||
        ConvertString(const_cast<char*>(name), wide, kWorkItemNameRoom, 1) == 0) {
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace

HRESULT SchedulerAccess::CreateScheduler() {
    m_scheduler.reset();
    return CreateComTaskScheduler(m_scheduler);
}

void SchedulerAccess::UseScheduler(std::unique_ptr<TaskScheduler> scheduler) {
    m_scheduler = std::move(scheduler);
}

void SchedulerAccess::ReleaseScheduler() { m_scheduler.reset(); }

HRESULT SchedulerAccess::OpenWorkItem(const char* name, std::unique_ptr<WorkItem>& task,
                                      bool create) {
    if (!m_scheduler) {
        return E_POINTER;
    }
    wchar_t wideName[kWorkItemNameRoom];
    if (const HRESULT refused = WideName(name, wideName); FAILED(refused)) {
        return refused;
    }
    std::unique_ptr<WorkItem> item;
    HRESULT hr = m_scheduler->Activate(wideName, item);
    if (FAILED(hr) && create) {
        hr = m_scheduler->NewWorkItem(wideName, item);
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (!item) {
        return E_POINTER;
    }
    task = std::move(item);
    return hr;
}

HRESULT SchedulerAccess::DeleteWorkItem(const char* name) {
    if (!m_scheduler) {
        return E_POINTER;
    }
    wchar_t wideName[kWorkItemNameRoom];
    if (const HRESULT refused = WideName(name, wideName); FAILED(refused)) {
        return refused;
    }
    return m_scheduler->Delete(wideName);
}
