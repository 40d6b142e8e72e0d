"""A stand-in for the desktop's StatusNotifierWatcher (what KDE Plasma, GNOME's
AppIndicator and Xfce run) on a private session bus: it says a tray host is
there, takes item registrations and writes one line per registration to a
record file.

Usage: fake_sni_watcher.py <record file>   (DBUS_SESSION_BUS_ADDRESS names the bus)
"""


import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

from dbus_fake import introspection, record, serve

WATCHER = "org.kde.StatusNotifierWatcher"
PATH = "/StatusNotifierWatcher"

# Qt reads IsStatusNotifierHostRegistered through an interface it introspects
# first: the properties must be in the answer, which dbus-python's own
# Introspect leaves out.
INTROSPECTION = introspection("""
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  </interface>""")


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.items = []

    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    def _properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface != WATCHER or name not in self._properties():
            raise dbus.exceptions.DBusException("no property %s.%s" % (interface, name),
                                                name="org.freedesktop.DBus.Error.UnknownProperty")
        return self._properties()[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self._properties() if interface == WATCHER else {}

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name, or only its path on the caller's connection.
        item = service if not service.startswith("/") else sender + service
        self.items.append(item)
        record("item %s %s" % (item, sender))
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        record("host %s" % service)

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus)
    Watcher(bus)
    loop = GLib.MainLoop()
    serve(loop)
    del name


if __name__ == "__main__":
    main()
