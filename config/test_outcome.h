#pragma once
// What the configuration test shows for the state of its connect run: the pure choice of
// state, text, icon and OK button, with no Windows API.
#include <cstdint>

// How long a test that no longer shows its outcome still waits for a connect run left behind,
// in milliseconds: the client ends a connection attempt by itself well within it; past it,
// whatever the run may bring up is taken down all the same.
inline constexpr std::uint32_t kAbandonedRunWaitMs = 120000;

enum class TestState { Waiting, Succeeded, Failed };

struct TestOutcome {
    TestState state;
    // String-table entry of the status text; 0 keeps the template's "Wait please ...".
    unsigned textId;
    // The one icon control of the test dialog that is visible.
    int iconControlId;
    bool okEnabled;
    // The exit code's name, put in place of %s in a failure's text; empty otherwise.
    const char* codeName;
};

// The outcome of a connect run: Waiting while it runs; once it has ended, Succeeded for exit
// code 200 and Failed, naming the code, for every other one (0 stands for a client that could
// not be started, and 259 for a client that ended with that code itself).
TestOutcome TestOutcomeFor(bool ended, std::uint32_t exitCode);
