"""A stand-in for the desktop's session manager on the row's private bus: it
says the session is running, which is what csd-background waits for before
it draws. Run by the system's python3, which has the GObject bindings."""
from gi.repository import Gio, GLib

INTERFACE = """<node><interface name="org.gnome.SessionManager">
  <method name="IsSessionRunning"><arg type="b" direction="out"/></method>
  <method name="RegisterClient">
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="o" direction="out"/>
  </method>
  <signal name="SessionRunning"/>
</interface></node>"""


def call(connection, sender, path, interface, method, parameters, invocation):
    if method == "IsSessionRunning":
        invocation.return_value(GLib.Variant("(b)", (True,)))
    else:  # the clients carry on without a session client of their own
        invocation.return_dbus_error("org.gnome.SessionManager.Error.NotSupported", "no session clients")


bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
bus.register_object("/org/gnome/SessionManager", Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0],
                    call, None, None)
Gio.bus_own_name_on_connection(bus, "org.gnome.SessionManager", Gio.BusNameOwnerFlags.NONE, None, None)
GLib.MainLoop().run()
