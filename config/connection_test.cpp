#include "connection_test.h"

#include "client_contract.h"
#include "exit_codes.h"
#include "task_parameters.h"
#include "test_outcome.h"

std::unique_ptr<ConnectionTest> ConnectionTest::Of(const std::string& clientPath,
                                                   const std::string& profile,
                                                   const std::string& user,
                                                   const std::string& password,
                                                   unsigned& refusedTextId) {
    if (const auto warning = RefusedValuesWarning(profile, user, password)) {
        refusedTextId = *warning;
        return nullptr;
    }
    return std::make_unique<ConnectionTest>(
        VpnClientRequest(clientPath, BuildConnectText(profile, user, password)));
}

ConnectionTest::ConnectionTest(const VpnClientRequest& connect)
    : m_connect(connect), m_disconnect(connect.WithParameters(kDisconnectCommand)) {}

ConnectionTest::~ConnectionTest() { Finish(0); }

void ConnectionTest::Begin() {
    if (m_run || m_exitCode) return;
    m_run = m_connect.Start();
    if (!m_run) m_exitCode = 0;
}

std::optional<DWORD> ConnectionTest::Wait(DWORD waitMs) {
    if (m_exitCode || !m_run) return m_exitCode;
    if (WaitForSingleObject(m_run.get(), waitMs) != WAIT_OBJECT_0) return std::nullopt;
    // The call's own result is not looked at: a failed read leaves 259, and the handle decides.
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_run.get(), &code);
    if (!RunHasEnded(m_run.get(), code)) return std::nullopt;
    m_run.reset();
    m_exitCode = code;
    return m_exitCode;
}

void ConnectionTest::Finish(DWORD disconnectWaitMs) {
    // Not begun, or finished already.
    if (!m_disconnect || (!m_run && !m_exitCode)) return;
    const std::optional<DWORD> code = Wait(kAbandonedRunWaitMs);
    if (!code || *code == static_cast<DWORD>(SUCCESS_START)) {
        if (const UniqueHandle disconnectRun = m_disconnect->Start()) {
            WaitForSingleObject(disconnectRun.get(), disconnectWaitMs);
        }
    }
    m_disconnect.reset();
    m_run.reset();
}
