// The Task Scheduler's COM interfaces behind the program's small scheduler interface. Each
// object owns its one interface pointer; nothing here decides anything.
#include "task_scheduler.h"

#include <objbase.h>

#include "com_ptr.h"

namespace {

struct CoTaskMemText {
    wchar_t* text = nullptr;
    CoTaskMemText() = default;
    CoTaskMemText(const CoTaskMemText&) = delete;
    CoTaskMemText& operator=(const CoTaskMemText&) = delete;
    ~CoTaskMemText() { CoTaskMemFree(text); }
};

class ComTaskTrigger final : public TaskTrigger {
public:
    explicit ComTaskTrigger(ComPtr<ITaskTrigger> trigger) : m_trigger(std::move(trigger)) {}
    HRESULT SetTrigger(const TASK_TRIGGER& trigger) override {
        TASK_TRIGGER copy = trigger;
        return m_trigger->SetTrigger(&copy);
    }

private:
    ComPtr<ITaskTrigger> m_trigger;
};

class ComWorkItem final : public WorkItem {
public:
    explicit ComWorkItem(ComPtr<ITask> task) : m_task(std::move(task)) {}

    HRESULT GetAccountInformation(std::wstring& account) override {
        CoTaskMemText name;
        const HRESULT hr = m_task->GetAccountInformation(&name.text);
        if (SUCCEEDED(hr)) {
            account = name.text != nullptr ? name.text : L"";
        }
        return hr;
    }
    HRESULT SetAccountInformation(const wchar_t* account, const wchar_t* password) override {
        return m_task->SetAccountInformation(account, password);
    }
    HRESULT SetApplicationName(const wchar_t* path) override {
        return m_task->SetApplicationName(path);
    }
    HRESULT SetParameters(const wchar_t* parameters) override {
        return m_task->SetParameters(parameters);
    }
    HRESULT SetMaxRunTime(DWORD milliseconds) override {
        return m_task->SetMaxRunTime(milliseconds);
    }
    HRESULT DeleteTrigger(WORD index) override { return m_task->DeleteTrigger(index); }
    HRESULT CreateTrigger(WORD& index, std::unique_ptr<TaskTrigger>& trigger) override {
        WORD created = 0;
        ComPtr<ITaskTrigger> made;
        const HRESULT hr = m_task->CreateTrigger(&created, made.put());
        if (FAILED(hr)) {
            return hr;
        }
        if (!made) {
            return E_POINTER;
        }
        index = created;
        trigger = std::make_unique<ComTaskTrigger>(std::move(made));
        return hr;
    }
    HRESULT Save() override {
        ComPtr<IPersistFile> file;
        const HRESULT hr = m_task.QueryInterface(IID_IPersistFile, file);
        if (FAILED(hr)) {
            return hr;
        }
        return file->Save(nullptr, FALSE);
    }

    HRESULT GetApplicationName(std::wstring& path) override {
        return TakeText(m_task->GetApplicationName(&Fresh().text), path);
    }
    HRESULT GetParameters(std::wstring& parameters) override {
        return TakeText(m_task->GetParameters(&Fresh().text), parameters);
    }
    HRESULT GetTrigger(WORD index, TASK_TRIGGER& trigger) override {
        ComPtr<ITaskTrigger> found;
        HRESULT hr = m_task->GetTrigger(index, found.put());
        if (FAILED(hr)) return hr;
        if (!found) return E_POINTER;
        TASK_TRIGGER values{};
        values.cbTriggerSize = sizeof values;
        hr = found->GetTrigger(&values);
        if (SUCCEEDED(hr)) trigger = values;
        return hr;
    }
    HRESULT GetStatus(HRESULT& status) override {
        HRESULT value = S_OK;
        const HRESULT hr = m_task->GetStatus(&value);
        if (SUCCEEDED(hr)) status = value;
        return hr;
    }
    HRESULT GetMostRecentRunTime(SYSTEMTIME& time) override {
        return TakeTime(&IScheduledWorkItem::GetMostRecentRunTime, time);
    }
    HRESULT GetExitCode(DWORD& code) override {
        DWORD value = 0;
        const HRESULT hr = m_task->GetExitCode(&value);
        if (hr == S_OK) code = value;
        return hr;
    }
    HRESULT GetNextRunTime(SYSTEMTIME& time) override {
        return TakeTime(&IScheduledWorkItem::GetNextRunTime, time);
    }

private:
    // A time that the work item gives; `time` is set only by S_OK, as the successes that say
    // there is none leave the structure undefined.
    HRESULT TakeTime(HRESULT (STDMETHODCALLTYPE IScheduledWorkItem::*read)(SYSTEMTIME*),
                     SYSTEMTIME& time) {
        SYSTEMTIME value{};
        const HRESULT hr = (m_task.get()->*read)(&value);
        if (hr == S_OK) time = value;
        return hr;
    }
    // A text that the Task Scheduler allocates, freed with it on every path.
    CoTaskMemText& Fresh() {
        m_text = std::make_unique<CoTaskMemText>();
        return *m_text;
    }
    HRESULT TakeText(HRESULT hr, std::wstring& text) {
        if (SUCCEEDED(hr)) text = m_text->text != nullptr ? m_text->text : L"";
        m_text.reset();
        return hr;
    }

    ComPtr<ITask> m_task;
    std::unique_ptr<CoTaskMemText> m_text;
};

// The ITask of a work item that Activate or NewWorkItem gave.
HRESULT TakeWorkItem(HRESULT hr, ComPtr<IUnknown>& unknown, std::unique_ptr<WorkItem>& item) {
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<ITask> task;
    hr = unknown.QueryInterface(IID_ITask, task);
    if (SUCCEEDED(hr)) {
        item = std::make_unique<ComWorkItem>(std::move(task));
    }
    return hr;
}

class ComTaskScheduler final : public TaskScheduler {
public:
    explicit ComTaskScheduler(ComPtr<ITaskScheduler> scheduler)
        : m_scheduler(std::move(scheduler)) {}

    HRESULT Activate(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        ComPtr<IUnknown> unknown;
        return TakeWorkItem(m_scheduler->Activate(name, IID_ITask, unknown.put()), unknown, item);
    }
    HRESULT NewWorkItem(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        ComPtr<IUnknown> unknown;
        return TakeWorkItem(m_scheduler->NewWorkItem(name, CLSID_CTask, IID_ITask, unknown.put()),
                            unknown, item);
    }
    HRESULT Delete(const wchar_t* name) override { return m_scheduler->Delete(name); }

private:
    ComPtr<ITaskScheduler> m_scheduler;
};

}  // namespace

HRESULT CreateComTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler) {
    ComPtr<ITaskScheduler> made;
    const HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ITaskScheduler, made.put_void());
    if (SUCCEEDED(hr) && made) {
        scheduler = std::make_unique<ComTaskScheduler>(std::move(made));
    }
    return hr;
}
