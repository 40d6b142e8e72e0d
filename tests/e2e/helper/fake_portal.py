"""A stand-in for the XDG desktop portal's GlobalShortcuts interface on a
private session bus: it opens sessions and binds shortcuts, answering each call
through a Request object's Response signal as the real portal does, writes one
line per event to a record file, and emits Activated when a test asks it to.

Usage: fake_portal.py <record file> [--no-shortcuts] [--cancel-bind]
    --no-shortcuts  a portal without GlobalShortcuts (as GNOME before 48)
    --cancel-bind   the user cancels the bind dialog
(DBUS_SESSION_BUS_ADDRESS names the bus.)

Record lines: "session PATH", "bind ID TRIGGER" (one per shortcut of a bind),
"bound N" after each bind, "activated ID", "closed PATH".

The test's own interface org.example.FakePortal on the portal object:
Activate(s id) emits Activated for the newest session; Record() returns the
record's lines.
"""

import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

from dbus_fake import introspection, record, serve

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"
CONTROL = "org.example.FakePortal"
SETTINGS = "org.freedesktop.portal.Settings"

WITH_SHORTCUTS = "--no-shortcuts" not in sys.argv[2:]
CANCEL_BIND = "--cancel-bind" in sys.argv[2:]

SHORTCUTS_XML = """
  <interface name="org.freedesktop.portal.GlobalShortcuts">
    <method name="CreateSession">
      <arg type="a{sv}" name="options" direction="in"/><arg type="o" name="handle" direction="out"/>
    </method>
    <method name="BindShortcuts">
      <arg type="o" name="session_handle" direction="in"/><arg type="a(sa{sv})" name="shortcuts" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/><arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="request_handle" direction="out"/>
    </method>
    <signal name="Activated">
      <arg type="o" name="session_handle"/><arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/><arg type="a{sv}" name="options"/>
    </signal>
    <signal name="Deactivated">
      <arg type="o" name="session_handle"/><arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/><arg type="a{sv}" name="options"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>"""

INTROSPECTION = introspection("""
  <interface name="org.freedesktop.portal.Settings">
    <property name="version" type="u" access="read"/>
  </interface>%s
  <interface name="org.example.FakePortal">
    <method name="Activate"><arg name="id" type="s" direction="in"/></method>
    <method name="Record"><arg name="lines" type="as" direction="out"/></method>
  </interface>""" % (SHORTCUTS_XML if WITH_SHORTCUTS else ""))


def sender_element(sender):
    return sender.lstrip(":").replace(".", "_")


class Request(dbus.service.Object):
    """One call's answer: the Response signal, then the object goes."""

    def __init__(self, bus, path):
        super().__init__(bus, path)

    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass

    @dbus.service.method(REQUEST)
    def Close(self):
        self.remove_from_connection()

    def answer_later(self, response, results):
        def emit():
            self.Response(dbus.UInt32(response), results)
            self.remove_from_connection()
            return False
        GLib.idle_add(emit)


class Session(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.path = path

    @dbus.service.method(SESSION)
    def Close(self):
        record("closed %s" % self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.sessions = []
        self.counter = 0

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    def _properties(self, interface):
        if interface == SHORTCUTS and WITH_SHORTCUTS:
            return {"version": dbus.UInt32(1)}
        if interface == SETTINGS:
            return {"version": dbus.UInt32(2)}
        return None

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        props = self._properties(interface)
        if props is None or name not in props:
            raise dbus.exceptions.DBusException("no property %s.%s" % (interface, name),
                                                name="org.freedesktop.DBus.Error.UnknownProperty")
        return props[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self._properties(interface) or {}

    def _token(self, options, key):
        self.counter += 1
        return str(options.get(key, "fake%d" % self.counter))

    def _request(self, sender, options):
        path = "%s/request/%s/%s" % (PATH, sender_element(sender), self._token(options, "handle_token"))
        return Request(self.bus, path)

    def _require_shortcuts(self):
        if not WITH_SHORTCUTS:
            raise dbus.exceptions.DBusException("No such interface", name="org.freedesktop.DBus.Error.UnknownMethod")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        self._require_shortcuts()
        request = self._request(sender, options)
        session_path = "%s/session/%s/%s" % (PATH, sender_element(sender),
                                             self._token(options, "session_handle_token"))
        self.sessions.append(Session(self.bus, session_path))
        record("session %s" % session_path)
        request.answer_later(0, {"session_handle": dbus.String(session_path)})
        return dbus.ObjectPath(request._object_path)

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session_handle, shortcuts, parent_window, options, sender=None):
        self._require_shortcuts()
        if not any(s.path == session_handle for s in self.sessions):
            raise dbus.exceptions.DBusException("no session %s" % session_handle,
                                                name="org.freedesktop.portal.Error.InvalidArgument")
        request = self._request(sender, options)
        bound = []
        for shortcut_id, props in shortcuts:
            trigger = str(props.get("preferred_trigger", ""))
            record("bind %s %s" % (shortcut_id, trigger or "-"))
            bound.append(dbus.Struct((shortcut_id, {"description": props.get("description", ""),
                                                     "trigger_description": "Press " + trigger}),
                                     signature="sa{sv}"))
        record("bound %d" % len(bound))
        if CANCEL_BIND:
            request.answer_later(1, {})
        else:
            request.answer_later(0, {"shortcuts": dbus.Array(bound, signature="(sa{sv})")})
        return dbus.ObjectPath(request._object_path)

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.method(CONTROL, in_signature="s")
    def Activate(self, shortcut_id):
        if not self.sessions:
            raise dbus.exceptions.DBusException("no session", name="org.example.FakePortal.NoSession")
        record("activated %s" % shortcut_id)
        self.Activated(dbus.ObjectPath(self.sessions[-1].path), shortcut_id,
                       dbus.UInt64(int(time.monotonic() * 1000)), dbus.Dictionary({}, signature="sv"))

    @dbus.service.method(CONTROL, out_signature="as")
    def Record(self):
        with open(sys.argv[1]) as f:
            return [line.rstrip("\n") for line in f]


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus)
    portal = Portal(bus)
    loop = GLib.MainLoop()
    serve(loop)
    del name, portal


if __name__ == "__main__":
    main()
