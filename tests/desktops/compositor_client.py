"""Reads the screen of a Wayland compositor through its own screenshot
service, and (GNOME) presses keys and moves the pointer through mutter's
remote desktop service, for a row of the desktop matrix. Run by the system's
python3, which has the GObject bindings, on the row's private session bus.

usage: compositor_client.py gnome|kde   then one request a line on stdin:
  shot PATH           the whole screen as a binary PPM file
  key NAME ...        (gnome) keys in turn; "alt+Down" holds alt for Down
  move X Y | click    (gnome) the pointer to a screen position; a left click
each answered with one line, "ok" or "error: ..."."""
import os
import sys
import time

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402

KEYSYMS = {"Escape": 0xff1b, "Tab": 0xff09, "Return": 0xff0d, "Home": 0xff50, "Down": 0xff54,
           "F4": 0xffc1, "alt": 0xffe9, "super": 0xffeb, "shift": 0xffe1, "h": 0x68}
BTN_LEFT = 0x110


def write_ppm(path, width, height, pixels, stride, order):
    """pixels: rows of 4-byte pixels; order: where red, green and blue sit in each."""
    rgb = bytearray(width * height * 3)
    if stride != width * 4:
        pixels = b"".join(pixels[y * stride:y * stride + width * 4] for y in range(height))
    for i, at in enumerate(order):
        rgb[i::3] = pixels[at::4]
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + rgb)


class Gnome:
    def __init__(self, bus):
        self.bus = bus
        # The shell serves screenshots only to the callers it trusts by their
        # bus name; this is one of them.
        reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                              "RequestName", GLib.Variant("(su)", ("org.gnome.Screenshot", 4)), None,
                              Gio.DBusCallFlags.NONE, 5000, None)
        if reply.unpack()[0] != 1:
            raise RuntimeError("org.gnome.Screenshot is owned already")
        self.session = None

    def shot(self, path):
        png = path + ".png"
        self.call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot",
                  "Screenshot", GLib.Variant("(bbs)", (False, False, png)))
        image = GdkPixbuf.Pixbuf.new_from_file(png)
        os.unlink(png)
        if not image.get_has_alpha():
            image = image.add_alpha(False, 0, 0, 0)
        write_ppm(path, image.get_width(), image.get_height(), image.get_pixels(), image.get_rowstride(),
                  (0, 1, 2))

    def call(self, name, path, interface, method, args=None):
        return self.bus.call_sync(name, path, interface, method, args, None, Gio.DBusCallFlags.NONE, 10000,
                                  None).unpack()

    def input(self, method, args):
        if not self.session:
            self.session = self.call("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                                     "org.gnome.Mutter.RemoteDesktop", "CreateSession")[0]
            self.input("Start", None)
            # A new session loses its first key event: spend it on a shift tap.
            for down in (True, False):
                self.input("NotifyKeyboardKeysym", GLib.Variant("(ub)", (KEYSYMS["shift"], down)))
        self.call("org.gnome.Mutter.RemoteDesktop", self.session, "org.gnome.Mutter.RemoteDesktop.Session",
                  method, args)

    def key(self, *names):
        for name in names:
            syms = [KEYSYMS[part] for part in name.split("+")]
            for sym in syms:
                self.input("NotifyKeyboardKeysym", GLib.Variant("(ub)", (sym, True)))
            for sym in reversed(syms):
                self.input("NotifyKeyboardKeysym", GLib.Variant("(ub)", (sym, False)))
            time.sleep(0.04)  # as a person types: each key seen apart

    def move(self, x, y):
        # Absolute motion needs a screen cast stream: from the corner instead.
        self.input("NotifyPointerMotionRelative", GLib.Variant("(dd)", (-5000.0, -5000.0)))
        self.input("NotifyPointerMotionRelative", GLib.Variant("(dd)", (float(x), float(y))))
        # mutter finds the window under the pointer at its next frame: a
        # press before that goes to the window the pointer came from.
        time.sleep(0.1)

    def click(self):
        for down in (True, False):
            self.input("NotifyPointerButton", GLib.Variant("(ib)", (BTN_LEFT, down)))


class Kde:
    def __init__(self, bus):
        self.bus = bus

    def shot(self, path):
        r, w = os.pipe()
        fds = Gio.UnixFDList.new()
        options = {"include-cursor": GLib.Variant("b", False)}
        reply, _ = self.bus.call_with_unix_fd_list_sync(
            "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureWorkspace",
            GLib.Variant("(a{sv}h)", (options, fds.append(w))), None, Gio.DBusCallFlags.NONE, 10000, fds, None)
        # The list holds a copy of the write end: the data ends when both close.
        for fd in [w] + fds.steal_fds():
            os.close(fd)
        with os.fdopen(r, "rb") as f:
            data = f.read()
        meta = reply.unpack()[0]
        # QImage::Format_ARGB32_Premultiplied: blue, green, red, alpha in memory.
        if meta.get("format") != 6:
            raise RuntimeError(f"unexpected screenshot format {meta}")
        write_ppm(path, meta["width"], meta["height"], data, meta["stride"], (2, 1, 0))


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    client = (Gnome if sys.argv[1] == "gnome" else Kde)(bus)
    print("ok", flush=True)
    for line in sys.stdin:
        words = line.split()
        try:
            if words[0] in ("move", "click"):
                getattr(client, words[0])(*map(int, words[1:]))
            else:
                getattr(client, words[0])(*words[1:])
            print("ok", flush=True)
        except Exception as e:  # told to the caller, who fails the check
            print("error: " + str(e).replace("\n", " "), flush=True)


if __name__ == "__main__":
    main()
