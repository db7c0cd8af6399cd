// The scheduler service check on both Windows families, in every state of the service and with
// each step failing: the result, every call in order (so each path, each close, and the error
// read after the closes), when the consent is asked, and no handle left open or misused.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "stand_ins.h"

namespace {

TEST(SchedulerServiceCheck, EachPathOfBothFamiliesGivesItsResultAndClosesWhatItOpened) {
    const std::string nt = "PlatformId Manager Service Close ", w9x = "PlatformId Window ";
    const DWORD NT = VER_PLATFORM_WIN32_NT, W9X = VER_PLATFORM_WIN32_WINDOWS;
    const DWORD stopped = SERVICE_STOPPED, running = SERVICE_RUNNING,
                disabled = ERROR_SERVICE_DISABLED;
    const struct {
        const char* what;
        DWORD platform, state;
        const char* failing;
        int answer;
        bool ask;
        DWORD result;
        std::string calls;
        DWORD startError = ERROR_SERVICE_DISABLED;
        bool window = false;
    } rows[] = {
        {"running", NT, running, "", IDYES, true, 0, nt + "Query Close"},
        {"stopped, Yes", NT, stopped, "", IDYES, true, 0, nt + "Query Ask Start Close"},
        {"stopped, No", NT, stopped, "", IDNO, true, 0, nt + "Query Ask Close"},
        {"stopped, no question", NT, stopped, "", IDNO, false, 0, nt + "Query Start Close"},
        {"stopped, Yes, refused", NT, stopped, "Start", IDYES, true, disabled,
         nt + "Query Ask Start Close Error"},
        {"start pending, refused", NT, SERVICE_START_PENDING, "Start", IDYES, true,
         ERROR_SERVICE_ALREADY_RUNNING, nt + "Query Ask Start Close Error",
         ERROR_SERVICE_ALREADY_RUNNING},
        {"refused, no error left", NT, stopped, "Start", IDYES, false, ERROR_GEN_FAILURE,
         nt + "Query Start Close Error", ERROR_SUCCESS},
        {"manager refused", NT, stopped, "Manager", IDYES, true, ERROR_ACCESS_DENIED,
         "PlatformId Manager Error"},
        {"service not opened", NT, stopped, "Service", IDYES, true, ERROR_SERVICE_DOES_NOT_EXIST,
         nt + "Error"},
        {"query failed", NT, stopped, "Query", IDYES, true, ERROR_INVALID_HANDLE,
         nt + "Query Close Error"},
        {"platform id 0", VER_PLATFORM_WIN32s, running, "", IDYES, true, 0, nt + "Query Close"},
        {"9x, window", W9X, stopped, "", IDYES, true, 0, "PlatformId Window", disabled, true},
        {"9x, Yes", W9X, stopped, "", IDYES, true, 0, w9x + "Ask Search Run"},
        {"9x, No", W9X, stopped, "", IDNO, true, 0, w9x + "Ask"},
        {"9x, no question", W9X, stopped, "", IDNO, false, 0, w9x + "Search Run"},
        {"9x, not on the path", W9X, stopped, "Search", IDYES, true, ERROR_FILE_NOT_FOUND,
         w9x + "Ask Search Error"},
        {"9x, did not start", W9X, stopped, "Run", IDYES, false, ERROR_ACCESS_DENIED,
         w9x + "Search Run Error"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ServiceStandIn platform;
        platform.platformId = row.platform;
        platform.state = row.state;
        platform.window = row.window;
        platform.failing = row.failing;
        platform.startError = row.startError;
        const auto consent = row.ask ? platform.Consent(row.answer) : [] { return true; };
        EXPECT_EQ(EnsureSchedulerRunning(consent, platform), row.result);
        EXPECT_EQ(std::make_tuple(platform.calls, platform.open, platform.misused),
                  std::make_tuple(row.calls, 0, 0));
        const bool ran =
            row.calls.size() > 3 && row.calls.compare(row.calls.size() - 3, 3, "Run") == 0;
        EXPECT_EQ(platform.started, ran ? "C:\\WINDOWS\\SYSTEM\\mstask.exe" : "");
    }
}

}  // namespace
