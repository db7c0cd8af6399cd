// The scheduler service check on both Windows families and in every state of the service,
// against the stand-in platform: the result, the calls in their order (so each path, each
// close and the error read after the closes), the question, and no handle left open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_texts.h"
#include "scheduler_service.h"
#include "scheduler_service_stand_in.h"

namespace {

const char kQuestion[] =
    "Task Scheduler is not running! Do you want to start the Task Scheduler?\n\nClick Yes to "
    "start the Task Scheduler or No to leave it turned off.";

using Calls = std::vector<std::string>;

// The opening calls of the service path, up to and including the manager's close.
Calls ServicePath(Calls rest) {
    Calls calls = {"PlatformId", "OpenServiceManager", "OpenSchedulerService", "CloseService"};
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

Calls ProgramPath(Calls rest) {
    Calls calls = {"PlatformId", "SchedulerWindowExists"};
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

class SchedulerServiceCheck : public ::testing::Test {
protected:
    void SetUp() override { LoadProgramTexts(); }
    void TearDown() override { ResetProgramTexts(); }
};

TEST_F(SchedulerServiceCheck, EachPathOfBothFamiliesGivesItsResultAndClosesWhatItOpened) {
    const DWORD w9x = VER_PLATFORM_WIN32_WINDOWS;
    const struct Row {
        const char* what;
        void (*arrange)(SchedulerServiceStandIn&);
        bool ask;
        DWORD result;
        Calls calls;
        bool programStarted;
    } rows[] = {
        // The NT family: the service "Schedule".
        {"running, ask", [](SchedulerServiceStandIn& p) { p.serviceState = SERVICE_RUNNING; },
         true, 0, ServicePath({"QueryServiceState", "CloseService"}), false},
        {"running, no question", [](SchedulerServiceStandIn& p) { p.serviceState = SERVICE_RUNNING; },
         false, 0, ServicePath({"QueryServiceState", "CloseService"}), false},
        {"stopped, Yes, accepted", [](SchedulerServiceStandIn&) {}, true, 0,
         ServicePath({"QueryServiceState", "Ask", "RequestStart", "CloseService"}), false},
        {"stopped, No", [](SchedulerServiceStandIn& p) { p.answer = IDNO; }, true, 0,
         ServicePath({"QueryServiceState", "Ask", "CloseService"}), false},
        {"stopped, no question", [](SchedulerServiceStandIn&) {}, false, 0,
         ServicePath({"QueryServiceState", "RequestStart", "CloseService"}), false},
        {"stopped, Yes, refused as disabled",
         [](SchedulerServiceStandIn& p) { p.startAccepted = false; }, true, ERROR_SERVICE_DISABLED,
         ServicePath({"QueryServiceState", "Ask", "RequestStart", "CloseService", "LastError"}), false},
        {"stopped, no question, refused", [](SchedulerServiceStandIn& p) { p.startAccepted = false; },
         false, ERROR_SERVICE_DISABLED,
         ServicePath({"QueryServiceState", "RequestStart", "CloseService", "LastError"}), false},
        {"start pending, Yes, refused as already starting",
         [](SchedulerServiceStandIn& p) {
             p.serviceState = SERVICE_START_PENDING;
             p.startAccepted = false;
             p.startError = ERROR_SERVICE_ALREADY_RUNNING;
         },
         true, ERROR_SERVICE_ALREADY_RUNNING,
         ServicePath({"QueryServiceState", "Ask", "RequestStart", "CloseService", "LastError"}), false},
        {"stop pending, no question, accepted",
         [](SchedulerServiceStandIn& p) { p.serviceState = SERVICE_STOP_PENDING; }, false, 0,
         ServicePath({"QueryServiceState", "RequestStart", "CloseService"}), false},
        {"paused, Yes, accepted", [](SchedulerServiceStandIn& p) { p.serviceState = SERVICE_PAUSED; },
         true, 0, ServicePath({"QueryServiceState", "Ask", "RequestStart", "CloseService"}), false},
        {"question not shown counts as consent", [](SchedulerServiceStandIn& p) { p.answer = 0; },
         true, 0, ServicePath({"QueryServiceState", "Ask", "RequestStart", "CloseService"}), false},
        {"manager refused", [](SchedulerServiceStandIn& p) { p.managerOpens = false; }, true,
         ERROR_ACCESS_DENIED, {"PlatformId", "OpenServiceManager", "LastError"}, false},
        {"service not opened", [](SchedulerServiceStandIn& p) { p.serviceOpens = false; }, true,
         ERROR_SERVICE_DOES_NOT_EXIST, ServicePath({"LastError"}), false},
        {"query failed", [](SchedulerServiceStandIn& p) { p.queryWorks = false; }, true,
         ERROR_INVALID_HANDLE, ServicePath({"QueryServiceState", "CloseService", "LastError"}), false},
        {"refusal that leaves no error is still a failure",
         [](SchedulerServiceStandIn& p) {
             p.startAccepted = false;
             p.startError = ERROR_SUCCESS;
         },
         false, ERROR_GEN_FAILURE,
         ServicePath({"QueryServiceState", "RequestStart", "CloseService", "LastError"}), false},
        {"platform id 0 takes the service path",
         [](SchedulerServiceStandIn& p) {
             p.platformId = VER_PLATFORM_WIN32s;
             p.serviceState = SERVICE_RUNNING;
         },
         true, 0, ServicePath({"QueryServiceState", "CloseService"}), false},
        // The Windows 9x family: the program "mstask.exe" and its window.
        {"9x, window present", [](SchedulerServiceStandIn& p) {
             p.platformId = w9x;
             p.windowExists = true;
         },
         true, 0, ProgramPath({}), false},
        {"9x, Yes, started", [](SchedulerServiceStandIn& p) { p.platformId = w9x; }, true, 0,
         ProgramPath({"Ask", "SearchSchedulerProgram", "StartSchedulerProgram"}), true},
        {"9x, No", [](SchedulerServiceStandIn& p) {
             p.platformId = w9x;
             p.answer = IDNO;
         },
         true, 0, ProgramPath({"Ask"}), false},
        {"9x, no question, started", [](SchedulerServiceStandIn& p) { p.platformId = w9x; }, false,
         0, ProgramPath({"SearchSchedulerProgram", "StartSchedulerProgram"}), true},
        {"9x, Yes, program not on the search path", [](SchedulerServiceStandIn& p) {
             p.platformId = w9x;
             p.programFound = false;
         },
         true, ERROR_FILE_NOT_FOUND, ProgramPath({"Ask", "SearchSchedulerProgram", "LastError"}), false},
        {"9x, no question, program did not start", [](SchedulerServiceStandIn& p) {
             p.platformId = w9x;
             p.processStarts = false;
         },
         false, ERROR_ACCESS_DENIED,
         ProgramPath({"SearchSchedulerProgram", "StartSchedulerProgram", "LastError"}), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SchedulerServiceStandIn platform;
        row.arrange(platform);
        EXPECT_EQ(EnsureSchedulerRunning(row.ask, platform), row.result);
        EXPECT_EQ(platform.calls, row.calls);
        EXPECT_EQ(platform.OpenHandles(), 0u);
        EXPECT_EQ(platform.misusedHandles, 0);
        EXPECT_EQ(platform.startedProgram, row.programStarted ? platform.programPath : "");
        std::vector<std::pair<std::string, std::string>> questions;
        for (const std::string& call : row.calls) {
            if (call == "Ask") {
                questions.emplace_back(kQuestion, "Warning");
            }
        }
        EXPECT_EQ(platform.questions, questions);
    }
}

}  // namespace
