#pragma once
// One test of a profile's values: a connect run of the VPN client, hidden, with the values as
// the scheduled task passes them, read by polling (the dialog, on its timer) or by waiting (the
// command line), and a disconnect run after a success, so that a test leaves no tunnel up.
// Values that the connector could not take are refused before anything runs.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "installed_client.h"
#include "win_handles.h"

class ConnectionTest {
public:
    // The test of the values with the client at `clientPath`, not yet begun. Nothing, with
    // `refusedTextId` set to the warning's string-table id, when the values are ones the
    // connector could not take: the test proves what the task will run, though the client
    // would take them.
    static std::unique_ptr<ConnectionTest> Of(const std::string& clientPath,
                                              const std::string& profile,
                                              const std::string& user,
                                              const std::string& password,
                                              unsigned& refusedTextId);

    // A test whose connect run is `connect`; its disconnect run is the same request with the
    // parameters "disconnect".
    explicit ConnectionTest(const VpnClientRequest& connect);
    // Finish(0).
    ~ConnectionTest();
    ConnectionTest(const ConnectionTest&) = delete;
    ConnectionTest& operator=(const ConnectionTest&) = delete;

    // Starts the connect run, once. A client that could not be started counts as a run that
    // ended with 0.
    void Begin();

    // The connect run's exit code once it has ended, waiting at most `waitMs` for it; nothing
    // while it runs or before it began. The run's handle is closed as soon as its code is known.
    std::optional<DWORD> Wait(DWORD waitMs = 0);

    // Ends the test, once: a run that ended with 200 is taken down by the disconnect run,
    // waited for at most `disconnectWaitMs`. A run that still goes on is waited for at most
    // kAbandonedRunWaitMs; it is taken down when it succeeds, and also when it does not end in
    // that time, since it may still bring the tunnel up.
    void Finish(DWORD disconnectWaitMs);

private:
    VpnClientRequest m_connect;
    std::optional<VpnClientRequest> m_disconnect;
    UniqueHandle m_run;
    std::optional<DWORD> m_exitCode;
};
