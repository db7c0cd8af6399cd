#!/usr/bin/env python3
"""The scheduler service check against Wine's own service control manager and its service
"Schedule": left alone while it runs, refused while it is disabled, started once it is enabled
again. Wine's service starts stopped with each new session and, once running, cannot be
stopped, so the stopped states are reached by restarting the session. The suite's persistent
server is running again, and the service enabled, when this test ends, pass or fail."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["FERROLINK_SOURCE"], "tools"))
from winelab import WinePrefix  # noqa: E402

PROBE = os.environ["FERROLINK_SERVICE_PROBE"]
PREFIX = WinePrefix(os.environ["WINEPREFIX"], os.path.dirname(PROBE))

SERVICE_STOPPED, SERVICE_RUNNING = 1, 4
ERROR_SERVICE_DISABLED = 1058


def probe(*args):
    result = PREFIX.wine([PROBE, *args], timeout=60)
    values = dict(re.findall(r"^(\w+)=(\S*)\r?$", result.stdout, re.M))
    if not values:
        raise RuntimeError(f"probe {args} printed nothing: {result.stdout}{result.stderr[-2000:]}")
    return values


def restart_session():
    PREFIX.stop_server()
    PREFIX.start_server()


def ensure(ask, answer="yes"):
    values = probe("ensure", "true" if ask else "false", answer)
    return int(values["result"]), int(values["asked"])


def state():
    return int(probe("state")["state"])


def state_within(wanted, seconds=10):
    """The service's state once it is `wanted`, or when `seconds` have passed."""
    deadline = time.monotonic() + seconds
    current = state()
    while current != wanted and time.monotonic() < deadline:
        time.sleep(0.2)
        current = state()
    return current


class SchedulerServiceTest(unittest.TestCase):
    def test_running_disabled_and_enabled_again(self):
        try:
            self.assertEqual(probe("create-scheduler")["hr"], "0x00000000")
            self.assertEqual(state_within(SERVICE_RUNNING), SERVICE_RUNNING)
            for ask in (False, True):
                with self.subTest("running", ask=ask):
                    self.assertEqual(ensure(ask), (0, 0))

            self.assertEqual(probe("disable")["error"], "0")
            restart_session()
            self.assertEqual(state(), SERVICE_STOPPED)
            with self.subTest("disabled, no question"):
                self.assertEqual(ensure(False), (ERROR_SERVICE_DISABLED, 0))
            with self.subTest("disabled, asked, Yes"):
                self.assertEqual(ensure(True, "yes"), (ERROR_SERVICE_DISABLED, 1))
            self.assertEqual(state(), SERVICE_STOPPED)

            self.assertEqual(probe("enable")["error"], "0")
            restart_session()
            with self.subTest("stopped, asked, No"):
                self.assertEqual(ensure(True, "no"), (0, 1))
                self.assertEqual(state(), SERVICE_STOPPED)
            with self.subTest("stopped, no question"):
                self.assertEqual(ensure(False), (0, 0))
                # The check does not wait for the start; the service gets there by itself.
                self.assertEqual(state_within(SERVICE_RUNNING), SERVICE_RUNNING)
        finally:
            probe("enable")
            # A failure between the stop and the start of a restart leaves no server behind
            # for the later tests; with one running this changes nothing.
            PREFIX.start_server()


if __name__ == "__main__":
    unittest.main()
