"""A private session bus for the end-to-end tests, with a fake
StatusNotifierWatcher on it: the tray as KDE Plasma, GNOME's AppIndicator and
Xfce offer it, without their desktops. The test talks to the program's item
over the same bus."""

import os
import time

from harness import TestFailure, check
from system_bus import start_private_bus

HELPER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helper", "fake_sni_watcher.py")

ITEM = "org.kde.StatusNotifierItem"
ITEM_PATH = "/StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


class StatusNotifierTray:
    """The bus address to give the program, and the items registered with the watcher."""

    def __init__(self, s):
        self.address, self.bus, self.watcher, self.record_path = start_private_bus(
            s, "session-bus", "registered.txt", HELPER, "DBUS_SESSION_BUS_ADDRESS", "fake watcher")
        import dbus
        self.connection = dbus.bus.BusConnection(self.address)
        s.log("fake StatusNotifierWatcher on %s" % self.address)

    def env(self):
        return {"DBUS_SESSION_BUS_ADDRESS": self.address}

    def wait_item(self, timeout):
        """The bus name of the first item registered with the watcher."""
        deadline = time.monotonic() + timeout
        while True:
            with open(self.record_path) as f:
                for line in f:
                    if line.startswith("item "):
                        return line.split()[1]
            if time.monotonic() >= deadline:
                raise TestFailure("no StatusNotifierItem registered with the watcher")
            time.sleep(0.05)

    def _object(self, service, path):
        return self.connection.get_object(service, path, introspect=False)

    def item_property(self, service, name):
        import dbus
        return self._object(service, ITEM_PATH).Get(ITEM, name, dbus_interface=dbus.PROPERTIES_IFACE)

    def activate(self, service, x=10, y=10):
        """What a host does on a left click on the icon."""
        self._object(service, ITEM_PATH).Activate(x, y, dbus_interface=ITEM)

    def context_menu(self, service, x=10, y=10):
        """What a host that does not read the menu itself does on a right click."""
        self._object(service, ITEM_PATH).ContextMenu(x, y, dbus_interface=ITEM)

    def menu_labels(self, service):
        """The exported menu's entries as a host reads them first: labels, "-" for a separator."""
        menu_path = self.item_property(service, "Menu")
        _revision, (_id, _props, children) = self._object(service, menu_path).GetLayout(
            0, -1, [], signature="iias", dbus_interface=MENU)
        labels = []
        for child in children:
            _cid, props, _sub = child
            if props.get("visible", True) is False or props.get("visible", True) == 0:
                continue
            labels.append("-" if props.get("type") == "separator" else str(props.get("label", "")))
        return labels
