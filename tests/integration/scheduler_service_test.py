#!/usr/bin/env python3
"""The scheduler service check against Wine's own service "Schedule": refused while the
service is disabled, started once it is enabled again, left alone while it runs. Wine's service
starts stopped with each new session and, once running, cannot be stopped, so the stopped state
is reached by restarting the session. The suite's persistent server is running again, and the
service enabled, when this test ends, pass or fail."""
import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.environ["FERROLINK_SOURCE"], "tools"))
from winelab import WinePrefix  # noqa: E402

PROBE = os.environ["FERROLINK_SERVICE_PROBE"]
PREFIX = WinePrefix(os.environ["WINEPREFIX"], os.path.dirname(PROBE))
SERVICE_STOPPED, SERVICE_RUNNING, ERROR_SERVICE_DISABLED = 1, 4, 1058


def probe(action):
    result = PREFIX.wine([PROBE, action], timeout=60)
    match = re.search(r"^\w+=(\d+)", result.stdout, re.M)
    if match is None:
        raise RuntimeError(f"probe {action} printed nothing: {result.stdout}{result.stderr[-2000:]}")
    return int(match.group(1))


def state_within(wanted, seconds=10):
    """The service's state once it is `wanted`, or when `seconds` have passed."""
    deadline = time.monotonic() + seconds
    current = probe("state")
    while current != wanted and time.monotonic() < deadline:
        time.sleep(0.2)
        current = probe("state")
    return current


class SchedulerServiceTest(unittest.TestCase):
    def test_disabled_refused_enabled_started_running_left_alone(self):
        try:
            self.assertEqual(probe("disable"), 0)
            PREFIX.stop_server()
            PREFIX.start_server()
            self.assertEqual(probe("state"), SERVICE_STOPPED)
            self.assertEqual(probe("ensure"), ERROR_SERVICE_DISABLED)
            self.assertEqual(probe("state"), SERVICE_STOPPED)
            self.assertEqual(probe("enable"), 0)
            # The check does not wait for the start; the service gets there by itself.
            self.assertEqual(probe("ensure"), 0)
            self.assertEqual(state_within(SERVICE_RUNNING), SERVICE_RUNNING)
            self.assertEqual(probe("ensure"), 0)
        finally:
            probe("enable")
            # A failure between the stop and the start leaves no server for the later tests;
            # with one running this changes nothing.
            PREFIX.start_server()


if __name__ == "__main__":
    unittest.main()
