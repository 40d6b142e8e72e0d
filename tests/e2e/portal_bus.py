"""A private session bus with a fake XDG desktop portal on it, for the hot
keys of a Wayland session: the program binds its shortcuts there, and the
test presses them by asking the fake to emit Activated."""

import os
import time

from harness import TestFailure
from system_bus import start_private_bus

HELPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helper", "fake_portal.py")

PORTAL = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
CONTROL = "org.example.FakePortal"


class FakePortal:
    """options: "--no-shortcuts" for a portal without GlobalShortcuts,
    "--cancel-bind" for a user who cancels the bind dialog."""

    def __init__(self, s, *options):
        self.address, self.bus, self.service, self.record_path = start_private_bus(
            s, "portal-bus", "portal.txt", HELPER, "DBUS_SESSION_BUS_ADDRESS", "fake portal", options)
        s.log("fake portal %s on %s" % (" ".join(options) or "with GlobalShortcuts", self.address))

    def env(self):
        """What the program needs to see a Wayland session's portal (its windows stay on Xvfb)."""
        return {"DBUS_SESSION_BUS_ADDRESS": self.address, "XDG_SESSION_TYPE": "wayland",
                "QT_QPA_PLATFORM": "xcb"}

    def record(self):
        with open(self.record_path) as f:
            return [line.rstrip("\n") for line in f]

    def wait_bound(self, timeout):
        """The {id: preferred trigger} of the first bind."""
        deadline = time.monotonic() + timeout
        while True:
            lines = self.record()
            if any(line.startswith("bound ") for line in lines):
                return dict(line.split()[1:3] for line in lines if line.startswith("bind "))
            if time.monotonic() >= deadline:
                raise TestFailure("no shortcuts bound at the fake portal: %s" % lines)
            time.sleep(0.05)

    def activate(self, shortcut_id):
        """What the desktop does when the user presses the bound key."""
        import dbus
        connection = dbus.bus.BusConnection(self.address)
        try:
            portal = connection.get_object(PORTAL, PORTAL_PATH, introspect=False)
            portal.Activate(shortcut_id, dbus_interface=CONTROL)
        finally:
            connection.close()
