"""What the fake D-Bus services share: an introspection answer that lists
the properties (dbus-python's own Introspect leaves them out, and Qt reads
properties only through interfaces it has introspected), and the record file
named by the first argument that the tests read."""

import signal
import sys

from gi.repository import GLib

_HEAD = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/><arg name="values" type="a{sv}" direction="out"/>
    </method>
  </interface>"""


def introspection(interfaces):
    """The whole answer: the standard interfaces, then the given XML."""
    return _HEAD + interfaces + "\n</node>\n"


def record(line):
    with open(sys.argv[1], "a") as f:
        f.write(line + "\n")


def serve(loop):
    """Runs the service until SIGTERM, after telling the test it is ready."""
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: loop.quit() or False)
    print("ready", flush=True)
    loop.run()
