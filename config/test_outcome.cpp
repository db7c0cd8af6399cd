#include "test_outcome.h"

#include "exit_codes.h"
#include "resource.h"

TestOutcome TestOutcomeFor(bool ended, std::uint32_t exitCode) {
    if (!ended) {
        return {TestState::Waiting, 0, IDC_TEST_WAITING_ICON, false, ""};
    }
    if (exitCode == static_cast<std::uint32_t>(SUCCESS_START)) {
        return {TestState::Succeeded, IDS_TEST_SUCCEEDED, IDC_TEST_SUCCEEDED_ICON, true, ""};
    }
    // The table names the code as the client's signed 32-bit value.
    return {TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true,
            VpnClientExitCodeName(static_cast<std::int32_t>(exitCode))};
}
