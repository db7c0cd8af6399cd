#include "logon_check.h"

namespace {

// The errors of a logon that this process is not allowed to try, as winerror.h numbers them.
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorPrivilegeNotHeld = 1314;

}  // namespace

LogonOutcome LogonOutcomeOfError(unsigned long error) {
    return error == kErrorAccessDenied || error == kErrorPrivilegeNotHeld
               ? LogonOutcome::NotAllowedToTest
               : LogonOutcome::Rejected;
}
