#pragma once
// An in-memory Task Scheduler for the configuration program's tests: a store of work items by
// name, work items edited in memory and stored by Save, and triggers by index as the real one
// keeps them (a deleted trigger's followers move down one). Each operation's answer can be
// set; every call is answered, none is left unexpected. The state outlives the scheduler
// object, which the program owns and releases, so that a test reads it afterwards.
#include <windows.h>
#include <mstask.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "task_scheduler.h"

struct StandInWorkItem {
    std::wstring account, password, application, parameters;
    std::vector<TASK_TRIGGER> triggers;
};

struct SchedulerStandInState {
    std::map<std::wstring, StandInWorkItem> stored;
    // Answers: a failure here makes the operation fail without effect.
    HRESULT activate = S_OK, newWorkItem = S_OK, deleteItem = S_OK, getAccount = S_OK,
            setAccount = S_OK, setApplication = S_OK, setParameters = S_OK,
            createTrigger = S_OK, setTrigger = S_OK, save = S_OK;
    std::vector<std::string> calls;  // the operations in order, e.g. "DeleteTrigger 65535"
    int liveObjects = 0;             // work items and triggers not yet released
};

class StandInTrigger final : public TaskTrigger {
public:
    StandInTrigger(SchedulerStandInState& state, std::vector<TASK_TRIGGER>& triggers, WORD index)
        : m_state(state), m_triggers(triggers), m_index(index) {
        ++m_state.liveObjects;
    }
    ~StandInTrigger() override { --m_state.liveObjects; }
    HRESULT SetTrigger(const TASK_TRIGGER& trigger) override {
        m_state.calls.push_back("SetTrigger");
        if (FAILED(m_state.setTrigger)) return m_state.setTrigger;
        if (m_index >= m_triggers.size()) return E_FAIL;
        m_triggers[m_index] = trigger;
        return S_OK;
    }

private:
    SchedulerStandInState& m_state;
    std::vector<TASK_TRIGGER>& m_triggers;
    WORD m_index;
};

class StandInItem final : public WorkItem {
public:
    StandInItem(SchedulerStandInState& state, std::wstring name, StandInWorkItem item)
        : m_state(state), m_name(std::move(name)), m_item(std::move(item)) {
        ++m_state.liveObjects;
    }
    ~StandInItem() override { --m_state.liveObjects; }

    HRESULT GetAccountInformation(std::wstring& account) override {
        m_state.calls.push_back("GetAccountInformation");
        if (FAILED(m_state.getAccount)) return m_state.getAccount;
        account = m_item.account;
        return S_OK;
    }
    HRESULT SetAccountInformation(const wchar_t* account, const wchar_t* password) override {
        m_state.calls.push_back("SetAccountInformation");
        if (FAILED(m_state.setAccount)) return m_state.setAccount;
        m_item.account = account;
        m_item.password = password;
        return S_OK;
    }
    HRESULT SetApplicationName(const wchar_t* path) override {
        m_state.calls.push_back("SetApplicationName");
        if (m_state.setApplication != S_OK) return m_state.setApplication;
        m_item.application = path;
        return S_OK;
    }
    HRESULT SetParameters(const wchar_t* parameters) override {
        m_state.calls.push_back("SetParameters");
        if (m_state.setParameters != S_OK) return m_state.setParameters;
        m_item.parameters = parameters;
        return S_OK;
    }
    HRESULT DeleteTrigger(WORD index) override {
        m_state.calls.push_back("DeleteTrigger " + std::to_string(index));
        if (index >= m_item.triggers.size()) return E_INVALIDARG;
        m_item.triggers.erase(m_item.triggers.begin() + index);
        return S_OK;
    }
    HRESULT CreateTrigger(WORD& index, std::unique_ptr<TaskTrigger>& trigger) override {
        m_state.calls.push_back("CreateTrigger");
        if (FAILED(m_state.createTrigger)) return m_state.createTrigger;
        m_item.triggers.push_back(TASK_TRIGGER{});
        index = static_cast<WORD>(m_item.triggers.size() - 1);
        trigger = std::make_unique<StandInTrigger>(m_state, m_item.triggers, index);
        return S_OK;
    }
    HRESULT Save() override {
        m_state.calls.push_back("Save");
        if (FAILED(m_state.save)) return m_state.save;
        m_state.stored[m_name] = m_item;
        return S_OK;
    }

private:
    SchedulerStandInState& m_state;
    std::wstring m_name;
    StandInWorkItem m_item;
};

class SchedulerStandIn final : public TaskScheduler {
public:
    explicit SchedulerStandIn(SchedulerStandInState& state) : m_state(state) {}

    HRESULT Activate(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        m_state.calls.push_back("Activate");
        if (FAILED(m_state.activate)) return m_state.activate;
        const auto found = m_state.stored.find(name);
        if (found == m_state.stored.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        item = std::make_unique<StandInItem>(m_state, name, found->second);
        return S_OK;
    }
    HRESULT NewWorkItem(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        m_state.calls.push_back("NewWorkItem");
        if (FAILED(m_state.newWorkItem)) return m_state.newWorkItem;
        item = std::make_unique<StandInItem>(m_state, name, StandInWorkItem{});
        return S_OK;
    }
    HRESULT Delete(const wchar_t* name) override {
        m_state.calls.push_back("Delete");
        if (FAILED(m_state.deleteItem)) return m_state.deleteItem;
        return m_state.stored.erase(name) == 1 ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }

private:
    SchedulerStandInState& m_state;
};

inline std::unique_ptr<TaskScheduler> MakeSchedulerStandIn(SchedulerStandInState& state) {
    return std::make_unique<SchedulerStandIn>(state);
}
