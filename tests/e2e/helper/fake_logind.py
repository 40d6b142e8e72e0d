"""A stand-in for the login manager on a private system bus: it answers the
calls the program makes, writes one line per call to a record file and never
ends anything. SIGUSR1 makes it announce a sleep and the wake-up after it.

Usage: fake_logind.py <record file>   (DBUS_SYSTEM_BUS_ADDRESS names the bus)
"""

import signal

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

from dbus_fake import record, serve

MANAGER = "org.freedesktop.login1.Manager"
SESSION = "org.freedesktop.login1.Session"
PATH = "/org/freedesktop/login1"
SESSION_ID = "c7"


class Manager(dbus.service.Object):
    @dbus.service.method(MANAGER, in_signature="b")
    def PowerOff(self, interactive):
        record("PowerOff %s" % bool(interactive))

    @dbus.service.method(MANAGER, in_signature="b")
    def Reboot(self, interactive):
        record("Reboot %s" % bool(interactive))

    @dbus.service.method(MANAGER, in_signature="s")
    def TerminateSession(self, session_id):
        record("TerminateSession %s" % session_id)

    @dbus.service.method(MANAGER, in_signature="u", out_signature="o")
    def GetSessionByPID(self, pid):
        record("GetSessionByPID")
        return dbus.ObjectPath(PATH + "/session/" + SESSION_ID)

    @dbus.service.signal(MANAGER, signature="b")
    def PrepareForSleep(self, start):
        pass


class Session(dbus.service.Object):
    @dbus.service.method(SESSION)
    def Terminate(self):
        record("Session.Terminate %s" % SESSION_ID)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    name = dbus.service.BusName("org.freedesktop.login1", bus)
    manager = Manager(bus, PATH)
    Session(bus, PATH + "/session/" + SESSION_ID)
    loop = GLib.MainLoop()

    def sleep_and_wake():
        manager.PrepareForSleep(True)
        manager.PrepareForSleep(False)
        record("slept")
        return True

    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, sleep_and_wake)
    serve(loop)
    del name


if __name__ == "__main__":
    main()
