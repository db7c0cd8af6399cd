#pragma once
// The check of a Windows account's name and password that the credentials dialog makes before
// it lets the pair through: a batch logon is tried, and its outcome is one of three.
#include <string>

enum class LogonOutcome {
    Accepted,          // the logon succeeded
    NotAllowedToTest,  // this process may not make the test (ERROR_ACCESS_DENIED,
                       // ERROR_PRIVILEGE_NOT_HELD); the pair counts as valid
    Rejected,          // Windows refused the pair
};

// The outcome of a batch logon that Windows refused with `error` (its GetLastError):
// ERROR_ACCESS_DENIED (5) and ERROR_PRIVILEGE_NOT_HELD (1314) say that this process may not
// make the test, so the pair counts as valid; every other code means the pair was refused.
LogonOutcome LogonOutcomeOfError(unsigned long error);


class LogonChecker {
public:
    virtual ~LogonChecker() = default;
    // Tries a batch logon with `user` exactly as given (no domain is split off) and
    // `password`; leaves no handle open.
    virtual LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) = 0;
};

// The program's check: LogonUserA with LOGON32_LOGON_BATCH and the default provider, the token
// closed at once. Holds no state.
LogonChecker& WindowsLogonChecker();

// The name of the user running the program, the account a new task is offered; empty when it
// cannot be had or does not fit.
std::string LoggedOnUserName();
