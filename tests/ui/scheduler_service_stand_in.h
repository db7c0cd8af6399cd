#pragma once
// A stand-in for the platform of the scheduler service check: it plays either Windows family
// and every state of the service, answers the question as told, records each call in order
// and the questions asked, and keeps count of the service handles left open. For the check's
// own tests and for the apply flow's.
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "scheduler_service.h"

class SchedulerServiceStandIn : public SchedulerServicePlatform {
public:
    // What the platform answers; each failing step leaves its own error behind.
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    bool windowExists = false;
    bool programFound = true;
    std::string programPath = "C:\\WINDOWS\\SYSTEM\\mstask.exe";
    DWORD searchError = ERROR_FILE_NOT_FOUND;
    bool processStarts = true;
    DWORD processError = ERROR_ACCESS_DENIED;
    bool managerOpens = true;
    DWORD managerError = ERROR_ACCESS_DENIED;
    bool serviceOpens = true;
    DWORD serviceError = ERROR_SERVICE_DOES_NOT_EXIST;
    bool queryWorks = true;
    DWORD queryError = ERROR_INVALID_HANDLE;
    DWORD serviceState = SERVICE_STOPPED;
    bool startAccepted = true;
    DWORD startError = ERROR_SERVICE_DISABLED;
    int answer = IDYES;

    // What the check did.
    std::vector<std::string> calls;
    std::vector<std::pair<std::string, std::string>> questions;  // text, caption
    std::string startedProgram;
    int misusedHandles = 0;  // unknown, closed or wrong-kind handles handed back

    // Service handles opened and not yet closed.
    std::size_t OpenHandles() const { return m_open.size(); }

    DWORD PlatformId() override {
        calls.push_back("PlatformId");
        return platformId;
    }
    bool SchedulerWindowExists() override {
        calls.push_back("SchedulerWindowExists");
        return windowExists;
    }
    bool SearchSchedulerProgram(std::string& fullPath) override {
        calls.push_back("SearchSchedulerProgram");
        if (!programFound) {
            return Fail(searchError);
        }
        fullPath = programPath;
        return true;
    }
    bool StartSchedulerProgram(const std::string& fullPath) override {
        calls.push_back("StartSchedulerProgram");
        if (!processStarts) {
            return Fail(processError);
        }
        startedProgram = fullPath;
        return true;
    }
    SC_HANDLE OpenServiceManager() override {
        calls.push_back("OpenServiceManager");
        if (!managerOpens) {
            Fail(managerError);
            return nullptr;
        }
        m_manager = Open();
        return m_manager;
    }
    SC_HANDLE OpenSchedulerService(SC_HANDLE manager) override {
        calls.push_back("OpenSchedulerService");
        Expect(manager, m_manager);
        if (!serviceOpens) {
            Fail(serviceError);
            return nullptr;
        }
        m_service = Open();
        return m_service;
    }
    bool QueryServiceState(SC_HANDLE service, DWORD& state) override {
        calls.push_back("QueryServiceState");
        Expect(service, m_service);
        if (!queryWorks) {
            return Fail(queryError);
        }
        state = serviceState;
        return true;
    }
    bool RequestStart(SC_HANDLE service) override {
        calls.push_back("RequestStart");
        Expect(service, m_service);
        if (!startAccepted) {
            return Fail(startError);
        }
        serviceState = SERVICE_START_PENDING;
        return true;
    }
    void CloseService(SC_HANDLE handle) override {
        calls.push_back("CloseService");
        if (m_open.erase(handle) == 0) {
            ++misusedHandles;
        }
    }
    DWORD LastError() override {
        calls.push_back("LastError");
        return m_lastError;
    }
    int Ask(const std::string& text, const std::string& caption) override {
        calls.push_back("Ask");
        questions.emplace_back(text, caption);
        return answer;
    }

private:
    bool Fail(DWORD error) {
        m_lastError = error;
        return false;
    }
    SC_HANDLE Open() {
        const auto handle = reinterpret_cast<SC_HANDLE>(static_cast<std::uintptr_t>(0x5C00 + ++m_opened));
        m_open.insert(handle);
        return handle;
    }
    // A call on a handle is fine only with the open handle of its own kind.
    void Expect(SC_HANDLE given, SC_HANDLE wanted) {
        if (given == nullptr || given != wanted || m_open.count(given) == 0) {
            ++misusedHandles;
        }
    }

    std::set<SC_HANDLE> m_open;
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
    unsigned m_opened = 0;
    DWORD m_lastError = ERROR_SUCCESS;
};
