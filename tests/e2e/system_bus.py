"""A private system bus for the end-to-end tests, with a fake login manager on
it: the program under test talks to that one, never to the machine's own, so
no test can end the session or the machine."""

import os
import time

from harness import TestFailure, check

HELPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helper", "fake_logind.py")

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


def start_private_bus(s, name, record_name, helper, variable, what, options=()):
    """A dbus-daemon of the session's own in a folder named name, and the fake
    service helper on it, started with variable naming the bus; returns
    (bus address, bus process, service process, the helper's record file)."""
    folder = os.path.join(s.root, name)
    os.makedirs(folder)
    socket_path = os.path.join(folder, "socket")
    config = os.path.join(folder, "bus.conf")
    with open(config, "w") as f:
        f.write(CONFIG % socket_path)
    address = "unix:path=" + socket_path
    record_path = os.path.join(folder, record_name)
    open(record_path, "w").close()
    bus = s.start(name, exe="/usr/bin/dbus-daemon", args=["--config-file=" + config, "--nofork", "--nopidfile"])
    deadline = time.monotonic() + 10
    while not os.path.exists(socket_path):
        check(bus.running(), "the private bus ended at once: %s" % bus.output())
        check(time.monotonic() < deadline, "the private bus made no socket")
        time.sleep(0.02)
    service = s.start(what.replace(" ", "-"), exe="/usr/bin/python3", args=["-B", helper, record_path] + list(options),
                      env={variable: address})
    while "ready" not in service.output():
        check(service.running(), "the %s ended: %s" % (what, service.output()))
        check(time.monotonic() < deadline, "the %s did not start" % what)
        time.sleep(0.02)
    return address, bus, service, record_path


class FakeLoginManager:
    """The bus address to give the program, and the calls the fake has seen."""

    def __init__(self, s):
        self.session = s
        self.address, self.bus, self.service, self.record_path = start_private_bus(
            s, "system-bus", "calls.txt", HELPER, "DBUS_SYSTEM_BUS_ADDRESS", "fake login manager")
        s.log("fake login manager on %s" % self.address)

    def env(self):
        return {"DBUS_SYSTEM_BUS_ADDRESS": self.address}

    def calls(self):
        with open(self.record_path) as f:
            return [line.rstrip("\n") for line in f if line.strip()]

    def wait_calls(self, count, timeout):
        deadline = time.monotonic() + timeout
        while len(self.calls()) < count:
            if time.monotonic() >= deadline:
                raise TestFailure("the login manager saw %r, expected %d calls" % (self.calls(), count))
            time.sleep(0.05)
        return self.calls()

    def sleep_and_wake(self):
        """Announce a sleep and the wake-up after it to everyone on the bus."""
        import signal
        self.service.send(signal.SIGUSR1)
