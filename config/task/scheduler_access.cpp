#include "scheduler_access.h"

#include "convert_string.h"

namespace {

// Room for a work item's name in UTF-16, its terminator included.
constexpr std::size_t kWorkItemNameRoom = 256;

// The name in UTF-16; a name that does not fit is refused rather than used cut short or empty.
std::optional<SecretWideString> WideName(const char* name) {
    if (name == nullptr) return std::nullopt;
    return ToWide(name, kWorkItemNameRoom);
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
    const std::optional<SecretWideString> wideName = WideName(name);
    if (!wideName) {
        return E_INVALIDARG;
    }
    std::unique_ptr<WorkItem> item;
    HRESULT hr = m_scheduler->Activate(wideName->c_str(), item);
    if (FAILED(hr) && create) {
        hr = m_scheduler->NewWorkItem(wideName->c_str(), item);
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
    const std::optional<SecretWideString> wideName = WideName(name);
    if (!wideName) {
        return E_INVALIDARG;
    }
    return m_scheduler->Delete(wideName->c_str());
}
